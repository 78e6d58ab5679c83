#!/bin/bash
# The decisions of scripts/install-deps.sh, driven by stand-ins for apt-get,
# dpkg, dpkg-query, id and sudo on a PATH that holds nothing else but the
# plain tools the script uses. Nothing on the system is touched.
#
#   tests/install_deps_test.sh [path to install-deps.sh]
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SCRIPT="${1:-$ROOT/scripts/install-deps.sh}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

bin="$work/bin"
mkdir -p "$bin"
for tool in bash cat env grep mktemp rm sed sleep sort tee tr; do
  ln -s "$(command -v "$tool")" "$bin/$tool"
done
stand_in() {
  printf '#!%s\n%s\n' "$(command -v bash)" "$2" >"$bin/$1"
  chmod +x "$bin/$1"
}
stand_in id 'echo "${FAKE_UID:-0}"'
# FAKE_INSTALLED: the installed packages, separated by commas, or "every".
stand_in dpkg-query '[[ "${FAKE_INSTALLED:-}" == every ]] && { echo -n "install ok installed"; exit 0; }
for p in ${FAKE_INSTALLED//,/ }; do [[ "$p" == "${*: -1}" ]] && { echo -n "install ok installed"; exit 0; }; done; exit 1'
stand_in dpkg '[[ "$1" == --print-foreign-architectures ]] && { echo "${FAKE_FOREIGN:-}"; exit 0; }; echo "dpkg $*" >>"$CALLS"'
# apt-get: FAKE_UPDATE=fail makes the update fail as during a mirror sync.
# FAKE_INSTALL: ok; release (only -t CODENAME installs); broken (wine32:i386
# never installs); flaky (the first install fails on a download, then ok).
stand_in apt-get '
echo "apt-get $*" >>"$CALLS"
if [[ " $* " == *" update "* ]]; then
  [[ "${FAKE_UPDATE:-ok}" == ok ]] && exit 0
  echo "Err:5 http://mirror bookworm-security/main i386 Packages"
  echo "E: Failed to fetch http://mirror/i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?"
  exit 100
fi
broken() {
  echo "The following packages have unmet dependencies:"
  echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4+deb12u1) but it is not going to be installed"
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100
}
case "${FAKE_INSTALL:-ok}" in
  release) [[ " $* " == *" -t bookworm "* ]] || broken ;;
  broken) [[ " $* " == *" -s "* && " $* " != *" wine32:i386 "* ]] || broken ;;
  flaky)
    if [[ ! -e "$CALLS.flaky" ]]; then
      : >"$CALLS.flaky"
      echo "E: Failed to fetch http://mirror/pool/main/w/wine/wine_8.0.deb  Connection timed out"
      exit 100
    fi ;;
esac
exit 0'

echo "VERSION_CODENAME=bookworm" >"$work/os-release"

passed=0
failed=0
# check NAME EXPECTED_STATUS "VAR=value ..." PATTERNS... : runs the script in
# that environment; each pattern is "calls:REGEX", "!calls:REGEX" (must not
# match), "err:REGEX" or "!err:REGEX", matched against the apt and dpkg calls
# or the script's standard error.
check() {
  local name="$1" expected="$2" settings="$3"
  shift 3
  local calls="$work/calls" err="$work/err" status
  rm -f "$calls" "$calls.flaky" "$bin/sudo"
  : >"$calls"
  [[ " $settings " == *" FAKE_SUDO=1 "* ]] && stand_in sudo 'echo "sudo $1" >>"$CALLS"; exec "$@"'
  # shellcheck disable=SC2086 # the settings are separate words
  env -i PATH="$bin" CALLS="$calls" INSTALL_DEPS_RETRY_DELAY=0 INSTALL_DEPS_OS_RELEASE="$work/os-release" \
    $settings "$bin/bash" "$SCRIPT" all >/dev/null 2>"$err"
  status=$?
  local problems=()
  [[ $status -eq $expected ]] || problems+=("exit status $status, expected $expected")
  local pattern negate where file
  for pattern in "$@"; do
    negate=0
    [[ "$pattern" == !* ]] && { negate=1; pattern="${pattern#!}"; }
    where="${pattern%%:*}"
    file="$calls"
    [[ "$where" == err ]] && file="$err"
    if grep -Eq -- "${pattern#*:}" "$file"; then
      [[ $negate -eq 1 ]] && problems+=("$where matches '${pattern#*:}'")
    else
      [[ $negate -eq 0 ]] && problems+=("$where does not match '${pattern#*:}'")
    fi
  done
  if [[ ${#problems[@]} -eq 0 ]]; then
    echo "ok: $name"
    passed=$((passed + 1))
  else
    echo "FAILED: $name"
    printf '  %s\n' "${problems[@]}"
    sed 's/^/  calls: /' "$calls"
    sed 's/^/  stderr: /' "$err"
    failed=$((failed + 1))
  fi
}

check "nothing missing: no apt at all" 0 "FAKE_INSTALLED=every" \
  '!calls:.' '!err:.'
check "an index that fails is a warning; the install goes on" 0 "FAKE_FOREIGN=i386 FAKE_UPDATE=fail" \
  'calls:apt-get .*update' 'calls:apt-get .*install -y --no-install-recommends cmake .*wine32:i386$' \
  'err:warning: some package indexes could not be downloaded' 'err:Mirror sync in progress' \
  '!calls:-t bookworm' '!calls:add-architecture'
check "a failed install is tried again from the release suite" 0 "FAKE_FOREIGN=i386 FAKE_INSTALL=release" \
  'calls:install -y --no-install-recommends cmake' 'calls:install -y --no-install-recommends -t bookworm cmake' \
  'err:installed from the release suite bookworm'
check "what cannot be installed is named with apt's reason" 1 "FAKE_FOREIGN=i386 FAKE_INSTALL=broken" \
  'calls:-t bookworm wine32:i386$' 'err:cannot install wine32:i386:' \
  'err:wine32:i386 : Depends: libwine:i386' '!err:cannot install cmake'
check "a download error is retried once" 0 "FAKE_FOREIGN=i386 FAKE_INSTALL=flaky" \
  'err:failed on a download error; trying once more' '!calls:-t bookworm'
check "the 32-bit architecture is added when missing" 0 "FAKE_INSTALLED=cmake" \
  'calls:dpkg --add-architecture i386' 'calls:install -y --no-install-recommends g\+\+ make'
check "not root and no sudo: nothing is run" 1 "FAKE_UID=1000" \
  '!calls:.' 'err:run as root to install: cmake g\+\+ make'
check "not root with sudo: apt runs through sudo" 0 "FAKE_UID=1000 FAKE_SUDO=1 FAKE_FOREIGN=i386" \
  'calls:sudo env' 'calls:apt-get .*install'

echo "install-deps: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
