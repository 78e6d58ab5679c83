#!/bin/bash
# Times the same deep thinks through the 32-bit module under 32-bit Wine and
# through the native program, and checks that both give the same replies.
# A benchmark: no limits are checked, and no test or CI job runs it.
#
#   benchmarks/wine/think-timing.sh [POSITIONS]
#
# POSITIONS holds one position a line ("<side>|<64 squares>", as LumThink
# takes it); by default benchmarks/data/deep-thinks.txt, the positions with
# 30 down to 20 empty squares of the game
#   c4 e3 f4 c5 d6 f3 e6 c3 d3 e2 d2 f2 f5 e1 g3 g4 h3 h5 c1 g6 b6 f6 g5 d1
#   h7 b1 g1 d7 c6 e7 c8 b4 c7 f7 b5 h6 h4 d8 a3 a6 b3 c2 a5 b8 f8 g7 f1 h1
#   b2 a1 a2 h2 h8 g2 g8 a7 a8 e8 b7 a4
# The settings are those of `tenu think --depth 12 --exact 24 --wld 26`
# without the opening book. Both sides think in one process each, one
# position after the other, on one processor (TENU_BENCH_CPU, default 0).
#
# It builds the module in build-win/ (as scripts/windows-tests.sh does), the
# native program in build-release/ (TENU_NATIVE_BUILD chooses another tree)
# and the stand-in host benchmarks/wine/think_timer.cpp; TENU_BENCH_NO_BUILD=1
# uses the builds as they are. TENU_BENCH_MODULE times another copy of the
# module (say, one built before a change). The Wine prefix is a throwaway one in
# build-win/, kept between runs with TENU_KEEP_PREFIX=1.
#
# TENU_BENCH_ROUNDS (default 3) says how many times each side runs the
# whole list; the times shown are medians over the rounds.
#
# Output (the builds' messages go to standard error): per position the
# module's and the native seconds (medians) and their ratio, then the
# totals, and whether every reply was the same.
set -euo pipefail
# The replies are code page 932 bytes: text tools work on bytes.
export LC_ALL=C

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD32="$ROOT/build-win"
NATIVE_BUILD="${TENU_NATIVE_BUILD:-$ROOT/build-release}"
CPU="${TENU_BENCH_CPU:-0}"
TIMER="$BUILD32/bench/think_timer.exe"
MODULE="$(realpath "${TENU_BENCH_MODULE:-$BUILD32/bin/Tenu.lum}")"
PREFIX="$BUILD32/bench-wineprefix"

# shellcheck source=scripts/wine-session.sh
source "$ROOT/scripts/wine-session.sh"

# Inside the virtual X server: the module's thinks.
if [[ "${1:-}" == "--inside-x" ]]; then
  start_wine_session
  wine_env LC_ALL=ja_JP.UTF-8 "$WINE" "$TIMER" "Z:${MODULE//\//\\}" "Z:${2//\//\\}"
  exit
fi

say() { echo "think-timing: $*" >&2; }

POSITIONS="$(realpath "${1:-$ROOT/benchmarks/data/deep-thinks.txt}")"
if [[ "${TENU_BENCH_NO_BUILD:-0}" != "1" ]]; then
  cmake -S "$ROOT" -B "$BUILD32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" \
    -DTENU_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD32" -j"$(nproc)" --target tenu_module >&2
  cmake -S "$ROOT" -B "$NATIVE_BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$NATIVE_BUILD" -j"$(nproc)" --target tenu >&2
  mkdir -p "$(dirname "$TIMER")"
  i686-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static \
    -o "$TIMER" "$ROOT/benchmarks/wine/think_timer.cpp"
fi
NATIVE="$NATIVE_BUILD/host/tenu"
for file in "$MODULE" "$TIMER" "$NATIVE"; do
  [[ -f "$file" ]] || { say "$file is missing (run without TENU_BENCH_NO_BUILD)"; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if [[ "${TENU_KEEP_PREFIX:-0}" != "1" ]]; then
  wine_env wineserver -k >/dev/null 2>&1 || true
  rm -rf "$PREFIX"
fi

# One round: the module's thinks, then the native program's.
run_module() {
  local round="$1"
  # The Windows program writes its lines with carriage returns.
  taskset -c "$CPU" xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-x "$POSITIONS" | tr -d '\r' >"$work/module.out"
  grep -av "^total " "$work/module.out" | cut -f1 >"$work/module.seconds.$round"
  grep -av "^total " "$work/module.out" | cut -f2- >"$work/module.replies.$round"
}
# The native program flushes each reply as it is found; the time of each
# think is the time between two replies (the first includes the start-up,
# a few milliseconds).
run_native() {
  local round="$1"
  local start now
  start="$(date +%s%N)"
  taskset -c "$CPU" "$NATIVE" think --raw --depth 12 --exact 24 --wld 26 <"$POSITIONS" |
    while IFS= read -r reply; do
      now="$(date +%s%N)"
      printf '%s\t%s\n' "$(((now - start) / 1000000))" "$reply"
      start="$now"
    done >"$work/native.out"
  cut -f1 "$work/native.out" | awk '{printf "%.3f\n", $1 / 1000}' >"$work/native.seconds.$round"
  cut -f2- "$work/native.out" >"$work/native.replies.$round"
}

# The machine's speed drifts by tens of percent over a minute on shared
# hosts, so the two sides take turns, the side that goes first alternating
# from round to round, and each think's time is its median over the rounds.
ROUNDS="${TENU_BENCH_ROUNDS:-3}"
for ((round = 1; round <= ROUNDS; ++round)); do
  say "round $round of $ROUNDS: $MODULE under 32-bit Wine and the native program, on processor $CPU"
  if ((round % 2 == 1)); then
    run_module "$round"
    run_native "$round"
  else
    run_native "$round"
    run_module "$round"
  fi
done
# The median of each line over the rounds' files.
median() {
  paste "$@" | awk '{ n = split($0, v, "\t"); for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
                     print (n % 2 == 1 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2) }'
}
median "$work"/module.seconds.* >"$work/module.seconds"
median "$work"/native.seconds.* >"$work/native.seconds"
cp "$work/module.replies.1" "$work/module.replies"
cp "$work/native.replies.1" "$work/native.replies"
for ((round = 2; round <= ROUNDS; ++round)); do
  for side in module native; do
    cmp -s "$work/$side.replies.1" "$work/$side.replies.$round" || { echo "replies: the ${side}'s differ between rounds"; exit 1; }
  done
done

# Position by position: empty squares, seconds each way, ratio, reply.
paste "$POSITIONS" "$work/module.seconds" "$work/native.seconds" "$work/module.replies" |
  awk -F'\t' '
    BEGIN { printf "%-7s %9s %9s %7s  %s\n", "empties", "module s", "native s", "ratio", "reply (module)" }
    { empties = gsub(/-/, "-", $1); m += $2; n += $3
      printf "%-7d %9.2f %9.2f %7.2f  %s\n", empties, $2, $3, ($3 > 0 ? $2 / $3 : 0), substr($4, 1, 2) }
    END { printf "%-7s %9.2f %9.2f %7.2f\n", "total", m, n, (n > 0 ? m / n : 0) }'
if cmp -s "$work/module.replies" "$work/native.replies" &&
  [[ "$(wc -l <"$work/module.replies")" -eq "$(grep -c . "$POSITIONS")" ]]; then
  echo "replies: all $(wc -l <"$work/module.replies") identical (module and native)"
else
  echo "replies: DIFFERENT"
  diff "$work/module.replies" "$work/native.replies" || true
  exit 1
fi
