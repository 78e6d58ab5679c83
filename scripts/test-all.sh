#!/bin/bash
# Builds everything and runs every test: the native suite (warnings as
# errors), the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# the Windows module and its tests under Wine, a short run of each fuzzer, and
# the release packages, built and checked. Installs missing Debian packages
# first (as root).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
jobs="$(nproc)"
started=$SECONDS
step() { printf '\n== %s (%ds)\n' "$1" $((SECONDS - started)); }

step "packages"
scripts/install-deps.sh all

step "native build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTENU_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
step "native tests"
(cd build && ctest --output-on-failure -j"$jobs")

step "sanitizer build"
# The benchmarks and data generators are left out: the native build checks
# that they build, and no test runs them.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTENU_WERROR=ON -DTENU_SANITIZE=ON -DTENU_TOOLS=OFF \
  >/dev/null
cmake --build build-asan -j"$jobs"
step "sanitizer tests"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 TENU_SANITIZED=1 \
  ctest --output-on-failure -j"$jobs")

step "fuzz build and short runs"
scripts/fuzz-short.sh 15

step "windows build and tests"
scripts/windows-tests.sh

step "release packages"
scripts/package.sh
tests/package_test.sh

step "all tests passed"
