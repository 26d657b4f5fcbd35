#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ in build-fuzz (clang, ccache) and runs each one for a
# bounded time on a copy of its corpus (seeds and regressions/), one after another, in one
# process each. Exits non-zero when any target crashed, hit a sanitizer report, leaked, hung or
# failed one of its checks; the input is then in <out>/<target>/artifacts/.
#
#   FUZZ_SECONDS      seconds per target (default 60)
#   FUZZ_TARGETS      targets to run, separated by spaces (default: all six)
#
# Accepted third-party reports (fuzz/known-issues.supp: F-2, inside rapidjson) are suppressed;
# everything else stops the run.
#   FUZZ_NICE         nice level of the fuzzers (default 10)
#   FUZZ_BUILD_DIR    build folder (default build-fuzz)
#   FUZZ_OUT          corpus copies, logs and crash inputs (default <build folder>/fuzz-runs)
#   FUZZ_ARGS         more libFuzzer options for every target
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-"fuzz_answer_decoding fuzz_decode_password fuzz_decode_paths fuzz_picture_attribute fuzz_server_dispatch fuzz_file_request"}
nice_level=${FUZZ_NICE:-10}
build=${FUZZ_BUILD_DIR:-build-fuzz}
out=${FUZZ_OUT:-$build/fuzz-runs}
case "$out" in /*) ;; *) out=$root/$out ;; esac

# ---- tools: the project's dependencies, then clang and its libFuzzer runtime ----
bash scripts/deps.sh
missing=()
for pkg in clang libclang-rt-14-dev; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    log=$(mktemp)
    if ! { $SUDO apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; } \
        >"$log" 2>&1; then
        cat "$log" >&2
        echo "fuzz.sh: installing ${missing[*]} failed" >&2
        rm -f "$log"
        exit 1
    fi
    rm -f "$log"
fi

# ---- build ----
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_FUZZ=ON \
    -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF >/dev/null
# shellcheck disable=SC2086
nice -n "$nice_level" cmake --build "$build" -j"$(nproc)" --target $targets

# ---- runs ----
env_known=("UBSAN_OPTIONS=suppressions=$root/fuzz/known-issues.supp${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}")

failed=0
summary=()
for target in $targets; do
    work=$out/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts" "$work/tmp"
    cp -R "fuzz/corpus/$target/." "$work/corpus/"
    args=("$work/corpus" -max_total_time="$seconds" -print_final_stats=1 -timeout=30 -rss_limit_mb=2048
        -artifact_prefix="$work/artifacts/")
    if [ -f "fuzz/$target.dict" ]; then
        args+=(-dict="fuzz/$target.dict")
    fi
    # shellcheck disable=SC2206
    args+=(${FUZZ_ARGS:-})
    echo "fuzz.sh: $target for ${seconds}s (log: $work/log.txt)"
    status=0
    # The outer limit only guards against a fuzzer that does not stop by itself.
    env TMPDIR="$work/tmp" "${env_known[@]}" timeout --kill-after=30 $((seconds + 300)) \
        nice -n "$nice_level" "$build/bin/$target" "${args[@]}" >"$work/log.txt" 2>&1 || status=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt" | tail -1)
    last=$(grep -E '^#[0-9]+.*cov: ' "$work/log.txt" | tail -1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    if [ "$status" -ne 0 ]; then
        failed=1
        if [ -n "$(ls -A "$work/artifacts")" ]; then
            where="input in $work/artifacts/"
        else
            # libFuzzer writes no file for an input of the starting corpus.
            where="an input of the corpus failed (fuzz/corpus/$target/regressions/ holds the known ones; replay one with $build/bin/$target FILE)"
        fi
        summary+=("$target: FAILED (exit $status) after ${execs:-?} executions; $where; log $work/log.txt")
        grep -E 'ERROR: |SUMMARY: |check failed|a hang|Assertion' "$work/log.txt" | head -5 | sed 's/^/    /' >&2 || true
    else
        summary+=("$target: ok, ${execs:-?} executions, cov: ${cov:-?} ft: ${ft:-?}")
    fi
done

printf '%s\n' "${summary[@]}"
exit "$failed"
