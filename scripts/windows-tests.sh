#!/bin/bash
# Builds the Windows module and its test program with MinGW-w64 into
# build-win/ and runs the Windows test suite under wine in a virtual X server,
# in a fresh throwaway Wine prefix inside build-win/. Exits non-zero on any
# failure. Expects the packages to be installed (MinGW-w64 -posix compilers,
# wine32, xvfb, xauth, the GoogleTest sources in /usr/src/googletest).
#
#   scripts/windows-tests.sh [extra ctest arguments, e.g. -R Setup]
#
# TENU_KEEP_PREFIX=1 reuses the prefix of an earlier run (saves its set-up).
#
# Wine runs the module as a 32-bit program, so it needs a kernel that runs
# 32-bit x86 programs. Some virtual machines do not (execve answers "Exec
# format error"). There the module and the test program are still built,
# the module's export, import and resource tables are checked from the file,
# and the script says loudly that the Windows tests did not run; it fails
# only when a check fails.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-win"
PREFIX="$BUILD/wineprefix"

# shellcheck source=scripts/wine-session.sh
source "$ROOT/scripts/wine-session.sh"

if [[ "${1:-}" == "--inside-x" ]]; then
  shift
  # Keep the Wine server and its background processes up for the whole run:
  # started by the test programs themselves they would hold on to CTest's
  # output pipes and every test would wait for them to time out.
  start_wine_session
  wine_env LC_ALL=ja_JP.UTF-8 wine "$BUILD/bin/tenu_wine_keeper.exe" >/dev/null 2>&1 &
  status=0
  (cd "$BUILD" && ctest -L windows --output-on-failure "$@") || status=$?
  exit "$status"
fi

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" \
  -DTENU_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

# What the module's file must show: exactly the eight exports by plain name,
# the name Tenu.lum, only system DLLs imported, and a resource section.
check_module_file() {
  local module="$BUILD/bin/Tenu.lum" dump expected failed=0
  dump="$(i686-w64-mingw32-objdump -p "$module")"
  expected=$'LumClientOpeningBook\nLumFinish\nLumInfo\nLumInit\nLumSetup\nLumThink\nLumVersion\nVellPosState'
  if [[ "$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | awk '/\[ *[0-9]+\]/ {print $3}')" != "$expected" ]]; then
    echo "windows-tests: Tenu.lum does not export exactly the eight plain names" >&2
    failed=1
  fi
  if ! grep -qE '^Name[[:space:]]+[0-9a-f]+ Tenu\.lum$' <<<"$dump"; then
    echo "windows-tests: Tenu.lum does not call itself Tenu.lum in its export directory" >&2
    failed=1
  fi
  if [[ "$(awk '/DLL Name:/ {print $3}' <<<"$dump" | sort | tr '\n' ' ')" != "ADVAPI32.dll KERNEL32.dll USER32.dll msvcrt.dll " ]]; then
    echo "windows-tests: Tenu.lum imports more than the system DLLs:" $(awk '/DLL Name:/ {print $3}' <<<"$dump") >&2
    failed=1
  fi
  if ! i686-w64-mingw32-objdump -h "$module" | grep -q '\.rsrc'; then
    echo "windows-tests: Tenu.lum has no resources" >&2
    failed=1
  fi
  return "$failed"
}
check_module_file

# wine32's server is a 32-bit program: if it cannot start, nothing of Wine can.
if ! /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
  cat >&2 <<'NOTICE'

  ************************************************************************
  *  The Windows tests did NOT run: this machine's kernel does not run   *
  *  32-bit x86 programs ("Exec format error"), and Wine needs it. The   *
  *  module and its test program were built, and the module's export,   *
  *  import and resource tables checked. Run scripts/windows-tests.sh    *
  *  on a machine that runs 32-bit programs for the tests themselves.    *
  ************************************************************************

NOTICE
  exit 0
fi

if [[ "${TENU_KEEP_PREFIX:-0}" != "1" ]]; then
  wine_env wineserver -k >/dev/null 2>&1 || true
  rm -rf "$PREFIX"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-x "$@"
