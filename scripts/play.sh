#!/bin/bash
# Builds the tenu program and starts a game against the engine in this
# terminal. Arguments go to "tenu play", for example --white or --level strong.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/install-deps.sh" play
cmake -S "$ROOT" -B "$ROOT/build-play" -DCMAKE_BUILD_TYPE=Release -DTENU_TESTS=OFF -DTENU_TOOLS=OFF >/dev/null
cmake --build "$ROOT/build-play" --target tenu -j"$(nproc)" >/dev/null
exec "$ROOT/build-play/host/tenu" play "$@"
