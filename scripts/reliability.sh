#!/usr/bin/env bash
# Replays the requests of hostile and careless clients against a fresh tessel-dbserver and prints
# what the server does with each, then runs the soak: CONNECTIONS connections for SOAK_SECONDS,
# one of them hostile, with the ordinary clients' latency and the server's peak memory.
# Run by hand (not in CI); it takes SOAK_SECONDS plus about a minute.
#
#   bash scripts/reliability.sh                          # 300 s soak
#   SOAK_SECONDS=1800 bash scripts/reliability.sh        # the full 30-minute soak
#   TESSEL_SERVER=/path/to/tessel-dbserver SOAK_SECONDS=0 bash scripts/reliability.sh   # cases only
#   TESSEL_FILESERVER=/path/to/tessel-fileserver ...     # the file service's cases with that binary
set -euo pipefail
cd "$(dirname "$0")/.."

server=${TESSEL_SERVER:-}
soak_seconds=${SOAK_SECONDS:-300}
connections=${CONNECTIONS:-16}
work=$(mktemp -d "${TMPDIR:-/tmp}/tessel-reliability.XXXXXX")
trap 'kill "$pid" ${epid:-} 2>/dev/null || true; wait "$pid" 2>/dev/null || true; [ -z "${KEEP_LOG:-}" ] || cp "$work/server.log" "$KEEP_LOG"; rm -rf "$work"' EXIT
pid=
epid=

if [ -z "$server" ]; then
    # The figures are the server's as installed: a Release build, no sanitizers.
    echo "building a Release tessel-dbserver in build-rel"
    cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF >/dev/null
    nice cmake --build build-rel -j2 --target tessel-dbserver >/dev/null
    server=build-rel/bin/tessel-dbserver
fi
[ -x "$server" ] || { echo "no server at $server (build tessel-dbserver first)" >&2; exit 1; }
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:halt_on_error=1}

if [ -n "${RELIABILITY_CLIENT:-}" ]; then cp "$RELIABILITY_CLIENT" "$work/client"; else
echo "building the client"
# shellcheck disable=SC2046
nice c++ -std=c++17 -O1 -fPIC scripts/reliability_client.cpp -o "$work/client" \
    $(pkg-config --cflags --libs Qt5WebSockets Qt5Network Qt5Core)
fi

# A data folder as a careless installation leaves it: world-readable, with a restore that was
# killed midway.
data=$work/data
mkdir -p "$data/backups/evil"
chmod 0755 "$data"
head -c 1048576 /dev/zero > "$data/Tessel.db.restore-0123456789abcdef"
# A database outside every backup folder, reached through a link in one of them.
python3 - "$work/outside.db" <<'EOF'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("CREATE TABLE OUTSIDE_MARK (X)")
db.commit()
EOF
ln -s "$work/outside.db" "$data/backups/evil/Tessel.db"

port=$(python3 -c 'import random; print(random.randrange(20000, 60000, 16))')
metrics_port=$((port + 4))
start_server() {
    "$server" --data-dir "$data" --port "$port" --workers 2 --metrics-port "$metrics_port" \
        --log-level "${LOG_LEVEL:-warning}" >"$work/server.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
        grep -q "listening" "$work/server.log" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "the server did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
}
start_server
url=ws://127.0.0.1:$((port + 2))

echo
echo "## Cases (fault, request, what the server does)"
"$work/client" cases "$url" evil
echo "| 9 | modes after start: data folder, Tessel.db, backups | $(stat -c %a "$data") $(stat -c %a "$data/Tessel.db" 2>/dev/null || echo -) $(stat -c %a "$data/backups") |"
if [ -e "$data/Tessel.db.restore-0123456789abcdef" ]; then
    echo "| 10 | leftover Tessel.db.restore-* after start | still there |"
else
    echo "| 10 | leftover Tessel.db.restore-* after start | removed |"
fi
if kill -0 "$pid" 2>/dev/null; then
    echo "| all | server process after every case | running, peak RSS $(awk '/VmHWM/ {print $2, $3}' "/proc/$pid/status") |"
else
    echo "| all | server process after every case | GONE |"
fi
echo "| 8 | connections the server closed as not reading | $(grep -c "does not read its answers" "$work/server.log" || true) |"

# The metrics endpoint with silent peers; a server out of file descriptors.
python3 - "$metrics_port" <<'EOF'
import socket, sys, time, urllib.request
port = int(sys.argv[1])
silent = [socket.create_connection(("127.0.0.1", port)) for _ in range(20)]
started = time.time()
body = urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=60).read()
print(f"| 30.9 | scrape while 20 connections to the metrics port stay silent | answered in {time.time() - started:.3f} s ({len(body)} bytes) |")
EOF
edata=$work/edata
mkdir -p "$edata"
eport=$((port + 8))
( ulimit -n 96; exec "$server" --data-dir "$edata" --port "$eport" --log-level warning ) >"$work/emfile.log" 2>&1 &
epid=$!
for _ in $(seq 100); do grep -q "listening" "$work/emfile.log" 2>/dev/null && break; sleep 0.1; done
before=$(wc -l <"$work/emfile.log")
python3 - "$((eport + 2))" <<'EOF'
import socket, sys, time
port = int(sys.argv[1])
hogs = [socket.create_connection(("127.0.0.1", port)) for _ in range(300)]
time.sleep(10)
EOF
lines=$(( $(wc -l <"$work/emfile.log") - before ))
sleep 1.5
answer=$(curl -si --max-time 3 -H "Connection: Upgrade" -H "Upgrade: websocket" -H "Sec-WebSocket-Version: 13" \
    -H "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==" "http://127.0.0.1:$((eport + 2))/" 2>/dev/null | head -n 1 | tr -d '\r' || true)
echo "| 30.6 | 300 silent connections for 10 s to a server with 96 descriptors | $lines log lines ($(grep -c 'accepting paused' "$work/emfile.log" || true) pause warnings), server CPU $(ps -o time= -p "$epid" | tr -d ' '); after they close: ${answer:-no answer} |"
kill "$epid" 2>/dev/null || true
wait "$epid" 2>/dev/null || true

# The file service's cases (scripts/reliability_files.py): its own table.
fileserver=${TESSEL_FILESERVER:-}
if [ -z "$fileserver" ]; then
    echo "building a Release tessel-fileserver in build-rel" >&2
    cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF >/dev/null
    nice cmake --build build-rel -j2 --target tessel-fileserver >/dev/null
    fileserver=build-rel/bin/tessel-fileserver
fi
echo
echo "## File service cases"
python3 scripts/reliability_files.py "$fileserver"

if [ "$soak_seconds" -gt 0 ]; then
    kill "$pid"; wait "$pid" || true
    start_server
    echo
    echo "## Soak: $connections connections (one hostile) for $soak_seconds s"
    peak=0
    (
        while kill -0 "$pid" 2>/dev/null; do
            awk '/VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null
            sleep 5
        done
    ) >"$work/rss.txt" &
    sampler=$!
    status=0
    "$work/client" soak "$url" "$soak_seconds" "$connections" || status=$?
    kill "$sampler" 2>/dev/null || true
    peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    first=$(sed -n '3p' "$work/rss.txt")
    last=$(tail -n 1 "$work/rss.txt")
    echo "server_peak_rss_kib $peak"
    echo "server_rss_kib_at_15s $first"
    echo "server_rss_kib_at_end $last"
    echo "server_alive $(kill -0 "$pid" 2>/dev/null && echo yes || echo no)"
    echo "non_readers_closed_by_server $(grep -c 'does not read its answers' "$work/server.log")"
    echo "client_exit $status"
fi
