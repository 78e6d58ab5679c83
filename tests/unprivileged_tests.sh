#!/bin/bash
# Runs some tests of a test program once more as an unprivileged user when
# the suite runs as root, as CI does: root reads and writes files whatever
# their mode, so the tests that take permissions away from files and folders
# skip, or check nothing, as root. Fails unless every named test ran and
# passed; skipped (exit 77) when not run as root, where the suite itself has
# already run them as this user.
#
#   tests/unprivileged_tests.sh PROGRAM GTEST_FILTER TEST_COUNT
set -euo pipefail
program="$1" filter="$2" count="$3"

if [[ "$(id -u)" -ne 0 ]]; then
  echo "not root: the suite ran these tests as $(id -un)"
  exit 77
fi
user=nobody
group="$(id -gn "$user")"

# A copy of the program in a folder of its own: the build tree may sit where
# the user cannot go (a clone in /root).
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/home"
chown "$user:$group" "$work/home"
chmod 755 "$work"
install -m 755 "$program" "$work/tests"

status=0
output="$(cd "$work/home" && env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  setpriv --reuid="$user" --regid="$group" --clear-groups "$work/tests" --gtest_filter="$filter" 2>&1)" || status=$?
echo "$output"
if [[ "$status" -ne 0 ]]; then
  echo "unprivileged_tests: the tests failed as $user"
  exit 1
fi
if grep -q '^\[  SKIPPED \]' <<<"$output" || ! grep -qE "^\[  PASSED  \] $count tests?\.$" <<<"$output"; then
  echo "unprivileged_tests: expected $count tests to run and pass as $user, none skipped"
  exit 1
fi
echo "unprivileged_tests: $count tests passed as $user"
