#!/bin/bash
# Photographs the settings dialog and the progress strip under wine in a
# virtual X server and writes docs/setup-dialog.png and
# docs/progress-strip.png. Builds build-win/ first when needed. Not part of
# the test run. Needs the packages of scripts/windows-tests.sh plus
# imagemagick, fonts-ipafont-gothic and fonts-wine.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-win"
PREFIX="$BUILD/wineprefix-screenshots"
DOCS="$ROOT/docs"

# shellcheck source=scripts/wine-session.sh
source "$ROOT/scripts/wine-session.sh"

# Runs the stand-in host in one mode, captures the rectangle it reports and
# crops the screen to it.
shoot() {
  local mode="$1" out="$2" log
  log="$(mktemp)"
  wine_env LC_ALL=ja_JP.UTF-8 wine "$BUILD/bin/tenu_screenshot_host.exe" "$mode" 3000 >"$log" 2>&1 &
  local host=$!
  local rect=""
  for _ in $(seq 1 200); do
    rect="$(grep -m1 '^RECT' "$log" | tr -d '\r' || true)"
    [[ -n "$rect" ]] && break
    sleep 0.05
  done
  if [[ -z "$rect" ]]; then
    cat "$log" >&2
    echo "no $mode window appeared" >&2
    return 1
  fi
  read -r _ left top right bottom <<<"$rect"
  local full
  full="$(mktemp --suffix=.png)"
  import -window root "$full"
  convert "$full" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out"
  wait "$host"
  rm -f "$full" "$log"
  echo "wrote $out ($((right - left))x$((bottom - top)))"
}

if [[ "${1:-}" == "--inside-x" ]]; then
  start_wine_session
  # The dialogs ask for the proportional Japanese UI font; IPA's stands in.
  wine_env LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ \
    /d IPAPGothic /f >/dev/null 2>&1
  # Wine's own fonts carry the caption buttons' glyphs.
  mkdir -p "$PREFIX/drive_c/windows/Fonts"
  cp -f /usr/share/wine/fonts/*.ttf "$PREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  mkdir -p "$DOCS"
  shoot setup "$DOCS/setup-dialog.png"
  shoot progress "$DOCS/progress-strip.png"
  exit 0
fi

if [[ ! -x "$BUILD/bin/tenu_screenshot_host.exe" ]]; then
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" \
    -DTENU_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" -j"$(nproc)" --target tenu_module tenu_screenshot_host
exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-x
