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

if [[ "${TENU_KEEP_PREFIX:-0}" != "1" ]]; then
  wine_env wineserver -k >/dev/null 2>&1 || true
  rm -rf "$PREFIX"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-x "$@"
