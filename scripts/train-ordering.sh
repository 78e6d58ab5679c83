#!/bin/bash
# Regenerates the ordering evaluation's data set and weights, reproducibly
# (fixed seed; one process, one core):
#   1. tenu_train generate: 16000 self-play games, positions labelled by the
#      exact solver up to 14 empty squares (DIR/positions.tsv);
#   2. tenu_train fit: the other positions labelled by searches backwards
#      from the end, the weights fitted stage by stage, written to the weights
#      file, the labelled data set to DIR/labelled.tsv and a sample of
#      held-out solved positions to benchmarks/data/solved-positions.tsv.
# Rebuild afterwards to build the new weights in. About an hour on one core
# of the project's machine (see README "The ordering evaluation").
#
#   scripts/train-ordering.sh [DIR, default build/ordering-data] [WEIGHTS, default the built-in file]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DIR="${1:-$ROOT/build/ordering-data}"
WEIGHTS="${2:-$ROOT/search/engine/weights/ordering.bin}"
GAMES="${TENU_TRAIN_GAMES:-16000}"

cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$ROOT/build" -j2 --target tenu_train
mkdir -p "$DIR"
"$ROOT/build/train/tenu_train" generate --games "$GAMES" --seed 1 --out "$DIR"
"$ROOT/build/train/tenu_train" fit --data "$DIR" --weights "$WEIGHTS" --seed 1 \
  --sample "$ROOT/benchmarks/data/solved-positions.tsv" --sample-count 3000
