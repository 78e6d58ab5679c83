#!/bin/sh
# Fits the conversion of the engine's midgame values to discs and writes it
# to host/calibration_table.cpp; the held-out solved positions the tests
# check it on go to tests/data/calibration-heldout.tsv. Seeded: the same
# build writes the same files. On the project's two-core machine, shared
# with other work, the 1200 games took 32 minutes (14.5 minutes of processor
# time), the fit 47 seconds and the held-out games one minute.
#
#   scripts/calibrate.sh [BUILD_DIR]    (default: build)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target tenu_calibrate -j2
tool="$build/tools/tenu_calibrate"
"$tool" positions --seed 1 --games 1200 > "$build/calibration-positions.tsv"
"$tool" fit --per-stage 600 --table host/calibration_table.cpp "$build/calibration-positions.tsv" \
  | tee "$build/calibration-errors.md"
# Solved positions of other games, 15 to 19 empty squares, for the tests.
{
  echo "# Held out from the fit: solved positions of tenu_calibrate positions --seed 2 (game, empty squares, position, result, how)"
  "$tool" positions --seed 2 --games 60 | awk -F'\t' '$5 == "solved" && $2 >= 15 && $2 <= 19' | awk 'NR % 4 == 1' | head -80
} > tests/data/calibration-heldout.tsv
