#!/bin/bash
# Installs the Debian packages a task needs, when they are missing.
#
#   scripts/install-deps.sh play   the compiler and CMake, to build and play
#   scripts/install-deps.sh all    everything the whole test run needs: the
#                                  native tools, the 32-bit Windows
#                                  cross-compiler, Wine with its 32-bit part,
#                                  a virtual X server and the fuzzing compiler
#
# Run it as root (or with sudo available); it does nothing when all is there.
set -euo pipefail

profile="${1:-all}"
packages=(cmake g++ make)
foreign=()
if [[ "$profile" == "all" ]]; then
  packages+=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev valgrind g++-mingw-w64-i686
             wine xvfb xauth imagemagick fonts-ipafont-gothic fonts-wine)
  foreign+=(wine32:i386)
fi

missing=()
for package in "${packages[@]}" "${foreign[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: run as root to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
if [[ ${#foreign[@]} -gt 0 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
