#!/bin/bash
# Builds the Windows module and its test program with MinGW-w64 and runs the
# Windows test suite under wine in a virtual X server, in a fresh throwaway
# Wine prefix inside the build tree. Exits non-zero on any failure. Expects
# the packages of `scripts/install-deps.sh all` (the MinGW-w64 -posix
# compilers for both word sizes, wine32 and wine64, xvfb, xauth, the
# GoogleTest sources in /usr/src/googletest).
#
#   scripts/windows-tests.sh [extra ctest arguments, e.g. -R Setup]
#
# TENU_KEEP_PREFIX=1 reuses the prefix of an earlier run (saves its set-up).
# TENU_WINDOWS_TESTS chooses where the suite runs:
#   auto (or unset)  the 32-bit module under 32-bit Wine where this machine
#                    runs 32-bit programs, the 64-bit build under wine64
#                    where it does not
#   wine32           the 32-bit module under 32-bit Wine, or fail
#   wine64           the 64-bit build under wine64, on any machine
#
# The shipped module is the 32-bit build in build-win/, and it is always
# built and checked from its file: exactly the eight plain exports under the
# name Tenu.lum, only system DLLs imported, resources, and the callee-pops
# return of every export. Some virtual machines' kernels run no 32-bit
# programs (execve answers "Exec format error"); there the whole suite runs
# on a 64-bit build of the same sources (build-win64/) under wine64, and
# those file checks are all that is seen of the 32-bit module. The output
# says which of the two ran.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD32="$ROOT/build-win"
BUILD64="$ROOT/build-win64"

# shellcheck source=scripts/wine-session.sh
source "$ROOT/scripts/wine-session.sh"

say() { echo "windows-tests: $*" >&2; }

# Inside the virtual X server: the suite of one build tree, under the Wine
# of its word size.
if [[ "${1:-}" == "--inside-x" ]]; then
  arch="$2" BUILD="$3"
  shift 3
  PREFIX="$BUILD/wineprefix"
  use_wine "$arch"
  # Keep the Wine server and its background processes up for the whole run:
  # started by the test programs themselves they would hold on to CTest's
  # output pipes and every test would wait for them to time out.
  start_wine_session
  wine_env LC_ALL=ja_JP.UTF-8 "$WINE" "$BUILD/bin/tenu_wine_keeper.exe" >/dev/null 2>&1 &
  status=0
  (cd "$BUILD" && ctest -L windows --output-on-failure "$@") || status=$?
  exit "$status"
fi

mode="${TENU_WINDOWS_TESTS:-auto}"
case "$mode" in
  auto | wine32 | wine64) ;;
  *)
    say "TENU_WINDOWS_TESTS must be auto, wine32 or wine64, not '$mode'"
    exit 2
    ;;
esac

# A build tree; the targets named, or everything.
configure_and_build() {
  local build="$1" toolchain="$2"
  shift 2
  cmake -S "$ROOT" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" \
    -DTENU_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j"$(nproc)" ${1:+--target "$@"}
}

# What the 32-bit module's file must show: exactly the eight exports by plain
# name, the name Tenu.lum, only system DLLs imported, a resource section, and
# callee-pops (stdcall) returns in every export.
check_module_file() {
  local module="$BUILD32/bin/Tenu.lum" dump expected failed=0
  dump="$(i686-w64-mingw32-objdump -p "$module")"
  expected=$'LumClientOpeningBook\nLumFinish\nLumInfo\nLumInit\nLumSetup\nLumThink\nLumVersion\nVellPosState'
  if [[ "$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | awk '/\[ *[0-9]+\]/ {print $3}')" != "$expected" ]]; then
    say "Tenu.lum does not export exactly the eight plain names"
    failed=1
  fi
  if ! grep -qE '^Name[[:space:]]+[0-9a-f]+ Tenu\.lum$' <<<"$dump"; then
    say "Tenu.lum does not call itself Tenu.lum in its export directory"
    failed=1
  fi
  if [[ "$(awk '/DLL Name:/ {print $3}' <<<"$dump" | sort | tr '\n' ' ')" != "ADVAPI32.dll KERNEL32.dll USER32.dll msvcrt.dll " ]]; then
    say "Tenu.lum imports more than the system DLLs:" $(awk '/DLL Name:/ {print $3}' <<<"$dump")
    failed=1
  fi
  if ! i686-w64-mingw32-objdump -h "$module" | grep -q '\.rsrc'; then
    say "Tenu.lum has no resources"
    failed=1
  fi
  check_callee_pops "$module" "$dump" || failed=1
  return "$failed"
}

# Each export, found through the export directory, must be the function of
# its decorated stdcall symbol, and every return in it must remove its
# arguments: `ret $0x8` for LumThink's two, a plain `ret` for none.
check_callee_pops() {
  local module="$1" dump="$2" base name bytes ordinal rva start code rets want failed=0
  base="$(awk '$1 == "ImageBase" {print $2}' <<<"$dump")"
  for name in LumThink:8 VellPosState:16 LumSetup:4 LumInit:4 LumFinish:4 \
                LumVersion:0 LumInfo:0 LumClientOpeningBook:0; do
    bytes="${name#*:}" name="${name%%:*}"
    ordinal="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
      awk -v name="$name" '$3 == name {gsub(/\]/, "", $2); print $2}')"
    rva="$(awk -v k="$ordinal" '/Export RVA/ && $1 == "[" && $2 == k "]" {print $(NF - 2)}' <<<"$dump")"
    code="$(i686-w64-mingw32-objdump -d --no-show-raw-insn --disassemble="_$name@$bytes" "$module")"
    start="$(sed -n "s/^\([0-9a-f]*\) <_$name@$bytes>:\$/\1/p" <<<"$code")"
    if [[ -z "$rva" || -z "$start" || $((16#$start)) -ne $((16#$base + 16#$rva)) ]]; then
      say "the export $name is not the function _$name@$bytes"
      failed=1
      continue
    fi
    if ((bytes > 0)); then
      want="$(printf "ret \$0x%x" "$bytes")"
    else
      want="ret"
    fi
    # Every distinct return instruction of the function: exactly the one wanted.
    rets="$(grep -E '^ *[0-9a-f]+:[[:space:]]+(repz? |bnd )?ret' <<<"$code" | sed -E 's/^ *[0-9a-f]+:[[:space:]]*//; s/[[:space:]]+/ /g; s/ $//' |
      sort -u)"
    if [[ "$rets" != "$want" ]]; then
      say "$name does not return with '$want' everywhere (returns: ${rets:-none})"
      failed=1
    fi
  done
  return "$failed"
}
# Where the suite runs. The 32-bit Wine server is a 32-bit program: if it
# cannot start, nothing of 32-bit Wine can.
runs_32bit_programs() { /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; }
case "$mode" in
  wine32) arch=win32 why="TENU_WINDOWS_TESTS=wine32" ;;
  wine64) arch=win64 why="TENU_WINDOWS_TESTS=wine64" ;;
  auto)
    if runs_32bit_programs; then
      arch=win32 why="this machine runs 32-bit programs"
    else
      arch=win64 why="this machine's kernel runs no 32-bit programs"
    fi
    ;;
esac
if [[ "$arch" == win32 ]]; then
  BUILD="$BUILD32"
  ran="the 32-bit module under 32-bit Wine"
  if ! runs_32bit_programs; then
    say "32-bit Wine cannot run here (the kernel runs no 32-bit programs); TENU_WINDOWS_TESTS=wine64 runs the suite on the 64-bit build"
    exit 1
  fi
else
  BUILD="$BUILD64"
  ran="the 64-bit build under wine64; the 32-bit Tenu.lum was checked from its file (exports, imports, resources, callee-pops returns)"
  if [[ ! -x "$WINE64_LOADER" ]] || ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    say "the 64-bit path needs wine64 and g++-mingw-w64-x86-64: run scripts/install-deps.sh all (as root)"
    exit 1
  fi
fi
say "running the Windows tests on $ran ($why)"

# The shipped module on every path; its test program only where it runs.
if [[ "$arch" == win64 ]]; then
  configure_and_build "$BUILD32" toolchain-mingw-i686.cmake tenu_module
else
  configure_and_build "$BUILD32" toolchain-mingw-i686.cmake
fi
check_module_file
if [[ "$arch" == win64 ]]; then
  configure_and_build "$BUILD64" toolchain-mingw-x86_64.cmake
fi

PREFIX="$BUILD/wineprefix"
use_wine "$arch"
if [[ "${TENU_KEEP_PREFIX:-0}" != "1" ]]; then
  wine_env wineserver -k >/dev/null 2>&1 || true
  rm -rf "$PREFIX"
fi
status=0
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-x "$arch" "$BUILD" "$@" || status=$?
if [[ "$status" -eq 0 ]]; then
  say "passed: the Windows tests ran on $ran"
else
  say "FAILED: the Windows tests on $ran"
fi
exit "$status"
