#!/usr/bin/env bash
# Peak memory of "tesselctl download" against a database much larger than one piece: fills
# Tessel-record with about SIZE_MB MiB (default 256) on a private tessel-dbserver, downloads it
# and fails when tesselctl's peak resident set (VmHWM) exceeds that of downloading a small
# database by a quarter of the large one's size or more.
# Usage: scripts/download_memory.sh [BUILD_DIR]   (default build; the programs in BUILD_DIR/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$PWD/${1:-build}/bin"
size_mb=${SIZE_MB:-256}
work=$(mktemp -d /tmp/tessel-download-memory.XXXXXX)
port=$((20000 + RANDOM % 20000))
# A sanitizer build keeps freed memory in quarantine (256 MiB by default), which would count
# as the program's own; a small quarantine keeps the figure about the program.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:quarantine_size_mb=16}
"$bin/tessel-dbserver" --data-dir "$work/data" --port "$port" --log-level warning >"$work/server.log" 2>&1 &
server=$!
cleanup() {
    kill -TERM "$server" 2>/dev/null && wait "$server" || true
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do
    grep -q listening "$work/server.log" 2>/dev/null && break
    sleep 0.1
done
export TESSEL_WS_CA_FILE="$work/data/tls/server.crt"
ctl() { "$bin/tesselctl" --server "127.0.0.1:$port" "$@"; }

ctl exec Tessel-record "CREATE TABLE bulk (v BLOB)" >/dev/null
# 16 MiB per statement keeps each one well inside the server's statement limit.
for _ in $(seq $((size_mb / 16))); do
    ctl --timeout 120 exec Tessel-record \
        "INSERT INTO bulk SELECT randomblob(1048576) FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 16) SELECT x FROM c)" \
        >/dev/null
done

# Peak resident set (VmHWM, KiB) of one download.
peak_of() {
    "$bin/tesselctl" --server "127.0.0.1:$port" download "$work/out" "$1" >"$work/download.log" &
    local client=$! peak=0 hwm
    while kill -0 "$client" 2>/dev/null; do
        hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$client/status" 2>/dev/null || true)
        if [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ]; then peak=$hwm; fi
        sleep 0.05
    done
    wait "$client"
    echo "$peak"
}
# The small Tessel database gives the program's own baseline (libraries, channels, sanitizer).
base_mb=$(($(peak_of Tessel) >> 10))
peak_mb=$(($(peak_of Tessel-record) >> 10))
bytes=$(stat -c %s "$work/out/Tessel-record.db")
db_mb=$((bytes >> 20))
growth_mb=$((peak_mb - base_mb))
echo "download_memory: database ${db_mb} MiB; tesselctl peak resident ${peak_mb} MiB, ${base_mb} MiB for" \
    "a small database: ${growth_mb} MiB more"
if [ $((growth_mb * 4)) -ge "$db_mb" ]; then
    echo "download_memory: the peak grows with the database, not bounded by the piece size" >&2
    exit 1
fi
