#!/bin/bash
# Builds the libFuzzer targets with clang into build-fuzz/ and gives each a
# short run: first every kept crash input and the whole committed corpus are
# replayed, then the target fuzzes for a while from a scratch copy of that
# corpus (the committed one is never changed). Exits non-zero at the first
# failure and leaves the failing input in build-fuzz/fuzz-artifacts/.
#
#   scripts/fuzz-short.sh [seconds per target, default 30]
#
# For a long run of one target, e.g. ten million inputs:
#   build-fuzz/fuzz/fuzz_book -runs=10000000 -max_len=8192 CORPUS_COPY
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-fuzz"
DATA="$ROOT/tests/fuzz"
seconds="${1:-30}"

CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTENU_FUZZ=ON -DTENU_TESTS=OFF \
  -DTENU_WERROR=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target tenu_fuzzers

artifacts="$BUILD/fuzz-artifacts"
mkdir -p "$artifacts"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Per target: extra libFuzzer options.
declare -A options=(
  [fuzz_think]=""
  [fuzz_book]="-max_len=8192"
  [fuzz_posstate]=""
  [fuzz_settings]=""
)

fail() {
  echo "fuzz-short: $1 failed; its log:" >&2
  tail -n 40 "$2" >&2
  echo "fuzz-short: the failing input, if any, is in $artifacts/" >&2
  exit 1
}

for target in fuzz_think fuzz_book fuzz_posstate fuzz_settings; do
  program="$BUILD/fuzz/$target"
  log="$work/$target.log"
  kept=("$DATA/corpus/$target")
  [[ -d "$DATA/crashes/$target" ]] && kept+=("$DATA/crashes/$target")
  # shellcheck disable=SC2086 # the options are separate words
  "$program" ${options[$target]} -runs=0 -artifact_prefix="$artifacts/$target-" "${kept[@]}" >"$log" 2>&1 ||
    fail "$target (replay)" "$log"
  cp -r "$DATA/corpus/$target" "$work/$target"
  # shellcheck disable=SC2086
  "$program" ${options[$target]} -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" "$work/$target" >"$log" 2>&1 || fail "$target" "$log"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  echo "$target: corpus and crash inputs replayed, then ${runs:-?} inputs in ${seconds} s, no failure"
done
