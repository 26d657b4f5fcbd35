#!/usr/bin/env bash
# Renders every pane of tessel-console headless against a seeded site (a private server started
# by the screenshot test), then the window once the server is stopped, and writes the PNGs to
# docs/console/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
build=${TESSEL_BUILD_DIR:-build-screenshots}
# An existing build folder (TESSEL_BUILD_DIR) is used as it is configured.
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target console_screenshots tessel-dbserver WebSocket >/dev/null
out=$PWD/docs/console
mkdir -p "$out"
# (In a sanitizer build the leak report is the tests' business, not this script's.)
(cd "$build/bin" && QT_QPA_PLATFORM=offscreen TESSEL_CONSOLE_SHOTS="$out" ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} \
    ./console_screenshots \
        --gtest_filter='ConsoleWindowTest.EveryPaneShowsTheSeededSite:ConsoleWindowTest.ALostServerShowsAsFailuresNotAsEmptyPanes' \
        >"$out/../console-shots.log" 2>&1) ||
    { cat "$out/../console-shots.log" >&2; rm -f "$out/../console-shots.log"; exit 1; }
rm -f "$out/../console-shots.log"
ls "$out"/*.png
