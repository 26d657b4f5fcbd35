#!/usr/bin/env bash
# Installs dependencies, builds everything with ccache and runs the whole test suite, then the
# install check (cmake --install + examples/minimal-client, cpack -G DEB + dpkg -x).
# TESSEL_SANITIZE=0 builds without AddressSanitizer/UndefinedBehaviorSanitizer (default: on).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

sanitize=${TESSEL_SANITIZE:-1}
if [ "$sanitize" = "1" ]; then
    build=${TESSEL_BUILD_DIR:-build-test-asan}
    # -O1 with line tables only: half the compile time of -O2 -g, and the sanitizers' reports
    # keep their file and line.
    flags=(-DTESSEL_SANITIZE=ON "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
           "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:halt_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp}
else
    build=${TESSEL_BUILD_DIR:-build-test}
    flags=()
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_BUILD_BENCH=OFF "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && ctest --output-on-failure -j"$(nproc)")
# The installed layout and the Debian packages, from the same build (see docs/packaging.md).
bash scripts/install_check.sh "$build"
