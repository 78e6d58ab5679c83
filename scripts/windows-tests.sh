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

# The Wine session every step shares: the build tree's prefix, never the
# user's own. LC_ALL (not LANG) gives Windows programs code page 932; glibc
# need not know the locale, so it is set only for the Wine commands.
wine_env() {
  env WINEPREFIX="$PREFIX" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" "$@"
}

if [[ "${1:-}" == "--inside-x" ]]; then
  shift
  # Keep the Wine server and its background processes up for the whole run:
  # started by the test programs themselves they would hold on to CTest's
  # output pipes and every test would wait for them to time out.
  mkdir -p "$PREFIX"
  wine_env wineserver -p
  trap 'wine_env wineserver -k >/dev/null 2>&1 || true' EXIT
  if [[ ! -f "$PREFIX/system.reg" ]]; then
    wine_env LC_ALL=ja_JP.UTF-8 wineboot -i >/dev/null 2>&1
  fi
  # Without a window manager, every hidden or destroyed managed window waits
  # for an answer that never comes; unmanaged windows do not.
  wine_env LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
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
