#!/bin/bash
# Installs the Debian packages a task needs, when they are missing.
#
#   scripts/install-deps.sh play      the compiler and CMake, to build and play
#   scripts/install-deps.sh package   what scripts/package.sh needs: the above,
#                                     the Debian packaging tools and the 32-bit
#                                     Windows cross-compiler with Wine
#   scripts/install-deps.sh all       everything the whole test run needs: all
#                                     of the above, GoogleTest, Google
#                                     Benchmark, valgrind, a virtual X server,
#                                     the fuzzing compiler, and the 64-bit
#                                     Windows cross-compiler with wine64 (the
#                                     Windows tests run on that build where
#                                     32-bit programs cannot run)
#
# Run it as root (or with sudo available); it does nothing when all is there.
#
# Debian's mirrors are now and then caught in the middle of a sync for hours,
# with an index that does not download or an update whose 32-bit twin is not
# there yet. So:
#   - an index that cannot be downloaded is a warning; the others are used;
#   - a command that fails on what looks like a passing download error is
#     run once more;
#   - when the install fails, it is tried again with the release suite's
#     packages (apt-get install -t CODENAME, CODENAME from /etc/os-release);
#   - when that fails too, every package that cannot be installed is named
#     with apt's reason, and the script exits 1.
#
# INSTALL_DEPS_RETRY_DELAY (seconds, default 5) is the pause before a retry.
set -uo pipefail

profile="${1:-all}"
packages=(cmake g++ make)
foreign=()
case "$profile" in
  play) ;;
  package)
    packages+=(dpkg-dev file g++-mingw-w64-i686 libgtest-dev wine)
    foreign+=(wine32:i386)
    ;;
  all)
    packages+=(dpkg-dev file g++-mingw-w64-i686 libgtest-dev wine libbenchmark-dev clang libclang-rt-14-dev
               valgrind xvfb xauth imagemagick fonts-ipafont-gothic fonts-wine g++-mingw-w64-x86-64 wine64)
    foreign+=(wine32:i386)
    ;;
  *)
    echo "usage: scripts/install-deps.sh [play|package|all]" >&2
    exit 2
    ;;
esac
retry_delay="${INSTALL_DEPS_RETRY_DELAY:-5}"

say() { echo "install-deps: $*" >&2; }

missing=()
for package in "${packages[@]}" "${foreign[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    say "run as root to install: ${missing[*]}"
    exit 1
  fi
  as_root=(sudo)
fi

log="$(mktemp)"
trap 'rm -f "$log"' EXIT

# Runs an apt-get command as root, showing its output and keeping it in $log.
apt() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=300 "$@" 2>&1 | tee "$log"
  return "${PIPESTATUS[0]}"
}

# True when the last apt output shows a download that may work a moment later.
passing_download_error() {
  grep -Eq 'Failed to fetch|Unable to fetch|Temporary failure|Could not (connect|resolve)|Connection (failed|timed out|reset)|Undetermined Error|Hash Sum mismatch|unexpected size' "$log"
}

# Runs apt, and once more after a pause when it failed on a download error.
apt_with_retry() {
  apt "$@" && return 0
  passing_download_error || return 1
  say "apt-get $1 failed on a download error; trying once more in ${retry_delay} s"
  sleep "$retry_delay"
  apt "$@"
}

# apt's own words for a failure: its error lines and the unmet dependencies.
reasons() {
  grep -E '^(E|Err):|^ +[^ ]+ : (Pre)?Depends:|^ +(Pre)?Depends:|has no installation candidate|not going to be installed' "$log" |
    sed 's/^ *//' | sort -u | sed 's/^/    /'
}

echo "Installing: ${missing[*]}"
if [[ ${#foreign[@]} -gt 0 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386 || { say "cannot add the i386 architecture"; exit 1; }
fi

if ! apt_with_retry update; then
  say "warning: some package indexes could not be downloaded; going on with the others:"
  reasons >&2
fi

install=(install -y --no-install-recommends)
apt_with_retry "${install[@]}" "${missing[@]}" && exit 0

codename="$(sed -n 's/^VERSION_CODENAME=//p' "${INSTALL_DEPS_OS_RELEASE:-/etc/os-release}" 2>/dev/null | tr -d '"')"
release=()
if [[ -n "$codename" ]]; then
  say "the install failed; trying again with the packages of the release suite, $codename"
  release=(-t "$codename")
  if apt_with_retry "${install[@]}" "${release[@]}" "${missing[@]}"; then
    say "installed from the release suite $codename"
    exit 0
  fi
fi

# Each package on its own, in a dry run, to say which cannot be installed.
named=0
for package in "${missing[@]}"; do
  if ! apt install -s --no-install-recommends "${release[@]}" "$package" >/dev/null; then
    say "cannot install $package:"
    reasons >&2
    named=1
  fi
done
if [[ $named -eq 0 ]]; then
  say "the packages install one by one but not together: ${missing[*]}"
fi
exit 1
