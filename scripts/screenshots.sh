#!/usr/bin/env bash
# Renders every pane of tessel-console headless against a seeded site (a private server started
# by the screenshot test) and writes the PNGs to docs/console/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
build=${TESSEL_BUILD_DIR:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target console_screenshots tessel-dbserver WebSocket >/dev/null
out=$PWD/docs/console
mkdir -p "$out"
(cd "$build/bin" && QT_QPA_PLATFORM=offscreen TESSEL_CONSOLE_SHOTS="$out" \
    QT_LOGGING_RULES="*.debug=false" ./console_screenshots --gtest_filter='ConsoleWindowTest.EveryPaneShowsTheSeededSite' >/dev/null)
ls "$out"/*.png
