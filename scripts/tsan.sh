#!/usr/bin/env bash
# Builds the concurrency tests with ThreadSanitizer in build-tsan and runs them: the WebSocket
# client library's tests, the channel integration test, the load test (a small count) and the
# passenger-flow test (reports from several threads against a reader of the live state). Every
# process writes its reports to build-tsan/tsan-reports (the tessel-dbserver started by the
# integration tests included). Qt is not built with ThreadSanitizer: scripts/tsan.supp suppresses
# what happens inside it and the hand-overs it synchronises (see the classes there). Every other
# report is listed with its frames in our code. Exits non-zero when a test fails or a report
# remains.
#
#   TESSEL_TSAN_BUILD_DIR   build folder (default build-tsan)
#   TESSEL_LOAD_REQUESTS    requests of the load test (default 4000)
#   TESSEL_JOBS             parallel build jobs (default: the core count)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${TESSEL_TSAN_BUILD_DIR:-build-tsan}
case $build in
    /*) ;;
    *) build=$root/$build ;;
esac
jobs=${TESSEL_JOBS:-$(nproc)}
tests=(websocket_tests integration_channel integration_load integration_passengerflow)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_TSAN=ON -DTESSEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target "${tests[@]}" tessel-dbserver WebSocket

reports=$build/tsan-reports
rm -rf "$reports"
mkdir -p "$reports"
export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp log_path=$reports/tsan exitcode=66 second_deadlock_stack=1 halt_on_error=0 report_signal_unsafe=0 ${TSAN_OPTIONS:-}"
export TESSEL_LOAD_REQUESTS=${TESSEL_LOAD_REQUESTS:-4000}
# ThreadSanitizer needs the address space layout it was built for.
if [ "$(setarch "$(uname -m)" -R true 2>/dev/null && echo ok)" = ok ]; then
    run=(setarch "$(uname -m)" -R)
else
    run=()
fi

failed=()
cd "$build/bin"
for t in "${tests[@]}"; do
    echo "== $t"
    rc=0
    "${run[@]}" "./$t" >"$reports/$t.out" 2>&1 || rc=$?
    if [ "$rc" -eq 66 ] && grep -q '^\[  PASSED  \]' "$reports/$t.out" && ! grep -q '^\[  FAILED  \]' "$reports/$t.out"; then
        echo "(exit code 66: the tests passed, ThreadSanitizer reported)"
    elif [ "$rc" -ne 0 ]; then
        failed+=("$t")
        tail -n 30 "$reports/$t.out"
    fi
    grep -E '^\[  (PASSED|FAILED) ' "$reports/$t.out" || true
done

status=0
shopt -s nullglob
logs=("$reports"/tsan.*)
races=0
for log in "${logs[@]}"; do
    n=$(grep -c '^WARNING: ThreadSanitizer' "$log" || true)
    races=$((races + n))
done
echo "== ThreadSanitizer: $races report(s) in ${#logs[@]} file(s) under $reports"
if [ "$races" -gt 0 ]; then
    status=1
    for log in "${logs[@]}"; do
        # The kind of each report and its first frames in our code.
        awk -v root="$root/" '/^WARNING: ThreadSanitizer/ { print FILENAME ": " $0; n = 0 }
             /^  [A-Z]/ && !/^  (Thread|Location|Mutex)/ { print "  " $0 }
             /^    #[0-9]+ / && index($0, root) && n < 6 { print "    " $0; n++ }' "$log"
    done
fi
if [ "${#failed[@]}" -gt 0 ]; then
    echo "== failed: ${failed[*]}"
    status=1
fi
exit "$status"
