#!/bin/bash
# Checks the release packages that scripts/package.sh made in out/: the
# Debian package's paths, permissions and dependencies, its program run from
# an unpacked tree and its manual page; the Windows zip's files, and that its
# Tenu.lum is the module the Windows tests load (build-win/bin/Tenu.lum).
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
version="$(sed -n 's/^project(Tenu VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
deb="$ROOT/out/tenu_${version}_amd64.deb"
zip="$ROOT/out/Tenu-${version}-win32.zip"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
check() {
  local name="$1"
  shift
  if "$@" >"$work/log" 2>&1; then
    passed=$((passed + 1))
    echo "ok: $name"
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
    sed 's/^/  /' "$work/log"
  fi
}

# Every path in the package, with its mode and owner, and nothing else.
deb_paths() {
  local expected="drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/tenu
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/tenu.1.gz
drwxr-xr-x root/root ./usr/share/tenu/
-rw-r--r-- root/root ./usr/share/tenu/openings.txt"
  diff <(echo "$expected") <(dpkg-deb -c "$deb" | awk '{print $1, $2, $6}' | sort -k3)
}

# Only the shared libraries the program links: the C and C++ runtimes.
deb_depends() {
  local depends
  depends="$(dpkg-deb -f "$deb" Depends)"
  echo "Depends: $depends"
  [[ "$(echo "$depends" | tr ',' '\n' | sed 's/ *(.*//; s/^ *//' | sort | paste -sd' ')" == \
     "libc6 libgcc-s1 libstdc++6" ]] &&
    [[ "$(dpkg-deb -f "$deb" Package Version Architecture Section | paste -sd' ')" == \
       "Package: tenu Version: $version Architecture: amd64 Section: games" ]]
}

deb_runs_unpacked() {
  dpkg-deb -x "$deb" "$work/tree" || return 1
  local out
  out="$("$work/tree/usr/bin/tenu" version)" || return 1
  echo "$out"
  [[ "$out" == "Tenu てぬ version ${version//./}
Opening book: $work/tree/usr/share/tenu/openings.txt" ]] || return 1
  "$work/tree/usr/bin/tenu" book check "$work/tree/usr/share/tenu/openings.txt" | grep -q "no error"
}

# The page renders without a warning and names every command of the usage.
deb_manual() {
  local page="$work/tree/usr/share/man/man1/tenu.1.gz" warnings command
  warnings="$(zcat "$page" | groff -k -man -Tutf8 -ww -z 2>&1)"
  [[ -z "$warnings" ]] || { echo "$warnings"; return 1; }
  grep -q "/usr/share/tenu/openings.txt" <(zcat "$page") || { echo "no book path"; return 1; }
  for command in $("$work/tree/usr/bin/tenu" --help | sed -n 's/^  \([a-z]\+\) .*/\1/p'); do
    zcat "$page" | grep -q "^\.B[IR]* \"*$command" || { echo "no command $command"; return 1; }
  done
}

zip_contents() {
  mkdir -p "$work/zip" && (cd "$work/zip" && cmake -E tar xf "$zip") || return 1
  local name="Tenu-${version}-win32"
  diff <(printf '%s\n' "$name/README.txt" "$name/Tenu.lum" "$name/openings.txt") \
    <(cd "$work/zip" && find . -type f | sed 's|^\./||' | sort) || return 1
  cmp "$work/zip/$name/Tenu.lum" "$ROOT/build-win/bin/Tenu.lum" || return 1
  grep -q "processor with SSE2" "$work/zip/$name/README.txt" || { echo "README.txt: no SSE2"; return 1; }
  grep -q $'\r$' "$work/zip/$name/README.txt" || { echo "README.txt: no CR LF line ends"; return 1; }
  ! grep -q '@' "$work/zip/$name/README.txt" || { echo "README.txt: a placeholder is left"; return 1; }
  grep -Eq 'a Depth above [0-9]+, an Exact' "$work/zip/$name/README.txt" || { echo "README.txt: the limits are blank"; return 1; }
}

check "the .deb holds the program, its manual page and the book, owned by root" deb_paths
check "the .deb depends only on the C and C++ runtimes" deb_depends
check "the .deb's tenu runs from an unpacked tree and names its book" deb_runs_unpacked
check "the .deb's manual page renders cleanly and names every command" deb_manual
check "the zip holds the module the Windows tests load, the book and the text" zip_contents

echo "package: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
