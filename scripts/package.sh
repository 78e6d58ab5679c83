#!/bin/bash
# Makes the release packages in out/:
#   tenu_<version>_amd64.deb    the Linux program, its manual page and the
#                               opening book (apt install ./tenu_<version>_amd64.deb)
#   Tenu-<version>-win32.zip    Tenu.lum, the opening book and README.txt
#                               for players who put the module into their game
# The Linux program is built in build-release/ for /usr; the module is the
# one in build-win/, built as scripts/windows-tests.sh builds and tests it.
# Installs missing Debian packages first (as root).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="$ROOT/out"
cd "$ROOT"
version="$(sed -n 's/^project(Tenu VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
[[ -n "$version" ]] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }

scripts/install-deps.sh package
mkdir -p "$OUT"

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DTENU_TESTS=OFF -DTENU_TOOLS=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build-release -j"$(nproc)" --target tenu tenu_manual
rm -f "$OUT"/tenu_*.deb
(cd build-release && cpack -G DEB >/dev/null)
deb="$OUT/tenu_${version}_amd64.deb"
[[ -f "$deb" ]] || { echo "package: cpack made no $deb" >&2; exit 1; }
echo "wrote $deb"

cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" \
  -DTENU_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j"$(nproc)" --target tenu_module
name="Tenu-${version}-win32"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp build-win/bin/Tenu.lum "$stage/$name/"
# Text files for Windows get CR LF line ends.
sed 's/$/\r/' books/openings.txt >"$stage/$name/openings.txt"
# The player's text quotes the settings' useful limits from the source; a
# limit that cannot be read stops the package rather than ship a blank.
limit() {
  local value
  value="$(sed -n "s/^constexpr int32_t k$1 = \([0-9]*\);.*/\1/p" ui/search_limits.h)"
  [[ -n "$value" ]] || { echo "package.sh: no k$1 in ui/search_limits.h" >&2; exit 1; }
  echo "$value"
}
depth="$(limit DeepestUsefulMidgameDepth)"
exact="$(limit LargestUsefulExactEmpties)"
wld="$(limit LargestUsefulWldEmpties)"
sed -e "s/@VERSION@/$version/" -e "s/@DEPTH@/$depth/" -e "s/@EXACT@/$exact/" -e "s/@WLD@/$wld/" -e 's/$/\r/' \
  docs/module-readme.txt >"$stage/$name/README.txt"
rm -f "$OUT/$name.zip"
(cd "$stage" && cmake -E tar cf "$OUT/$name.zip" --format=zip "$name")
echo "wrote $OUT/$name.zip"
