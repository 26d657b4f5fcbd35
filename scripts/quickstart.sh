#!/usr/bin/env bash
# Installs dependencies, builds, and runs the main job: a fresh client application directory
# with its Db folder, tessel-dbserver on loopback serving that folder, and a client session
# through the data layer (tesselctl) against it, and tessel-fileserver on 127.0.0.1:9600 for the
# file operations; at the end the server's own figures (tesselctl server-status and its metrics
# endpoint). Both servers are stopped at the end. With --console, tessel-console then opens on
# the same site, logged in as its administrator; closing the window stops the servers.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
build=${TESSEL_BUILD_DIR:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF >/dev/null
targets=(tesselctl tessel-dbserver WebSocket webservice_sdk tessel-fileserver)
console=0
[ "${1:-}" = "--console" ] && console=1 && targets+=(tessel-console)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >/dev/null
bin="$PWD/$build/bin"

# A client application directory: the programs and libraries, DbServerConfig.json, the
# client library's WebSocket.json, and the Db folder that the server serves.
app=$(mktemp -d /tmp/tessel-quickstart.XXXXXX)
cp "$bin"/tesselctl "$bin"/lib*.so "$app"/
mkdir -p "$app/Db"
port=${TESSEL_PORT:-$((20000 + RANDOM % 20000))}
cat >"$app/DbServerConfig.json" <<JSON
{ "server_ip": "127.0.0.1", "server_port": $port }
JSON
echo '{ "language": "EN" }' >"$app/StartConfiguration.json"
cat >"$app/WebSocket.json" <<JSON
{ "ca_file": "Db/tls/server.crt" }
JSON

metrics=$((port + 4))
"$bin/tessel-dbserver" --data-dir "$app/Db" --port "$port" --log-level warning --metrics-port "$metrics" \
    >"$app/server.log" 2>&1 &
server=$!
# The file service: its root is the Db folder's "files" (the client always addresses port 9600).
"$bin/tessel-fileserver" --data-dir "$app/Db" >"$app/fileserver.log" 2>&1 &
fileserver=$!
stop_server() {
    kill -TERM "$server" 2>/dev/null && wait "$server" || true
    kill -TERM "$fileserver" 2>/dev/null && wait "$fileserver" || true
}
trap stop_server EXIT
for _ in $(seq 1 100); do
    grep -q "listening" "$app/server.log" 2>/dev/null && break
    sleep 0.1
done
grep -q "listening" "$app/server.log" || { cat "$app/server.log"; exit 1; }
for _ in $(seq 1 100); do
    grep -q "listening" "$app/fileserver.log" 2>/dev/null && break
    sleep 0.1
done
grep -q "listening" "$app/fileserver.log" || { cat "$app/fileserver.log"; exit 1; }

ctl() {
    echo "\$ tesselctl $*"
    TESSEL_LOG_LEVEL=${TESSEL_LOG_LEVEL:-3} QT_LOGGING_RULES="*.debug=false;tessel.*.info=false" \
        "$app/tesselctl" "$@"
}

echo "== application directory: $app (server on 127.0.0.1:$port)"
ctl status
ctl exec Tessel "CREATE TABLE IF NOT EXISTS QUICKSTART(S_ID TEXT PRIMARY KEY, S_NOTE TEXT)"
ctl exec Tessel "INSERT OR REPLACE INTO QUICKSTART VALUES(:id, :note)" --bind-text :id=first --bind-text ":note=it's stored as given"
ctl query Tessel "SELECT S_ID, S_NOTE FROM QUICKSTART WHERE S_ID = :id" --bind-text :id=first
ctl init-admin admin "Adm1n pass"
ctl login --user admin --password "Adm1n pass"
ctl users --user admin --password "Adm1n pass"
out=$(ctl add-host 192.168.1.64 3000 admin "cam pass" 4 2 0 "Front gate" --user admin --password "Adm1n pass")
echo "$out"
host=$(echo "$out" | sed -n 's/^host \([0-9a-f]\{32\}\) added.*/\1/p')
[ -n "$host" ] || { echo "quickstart: no host id in the output above" >&2; exit 1; }
ctl tree --user admin --password "Adm1n pass"
ctl update-host "$host" channels=6 --user admin --password "Adm1n pass"
ctl tree --user admin --password "Adm1n pass"
ctl hosts --user admin --password "Adm1n pass"
ctl alarm-types
[ -n "$host" ] && ctl links set "$host" 11 2 sound '{"file":"net.wav"}' --user admin --password "Adm1n pass"
[ -n "$host" ] && ctl links show "$host" --user admin --password "Adm1n pass"
ctl alarms count levels=4,5 state=0
ctl netinfo
ctl files mkdir quickstart/notes
ctl files put "$app/DbServerConfig.json" quickstart/notes/config.json
ctl files get quickstart/notes/config.json "$app/config-fetched.json"
cmp "$app/DbServerConfig.json" "$app/config-fetched.json"
echo "== the file came back unchanged; on the storage host: $app/Db/files/quickstart/notes/config.json"
ctl server-status
echo "\$ curl -s http://127.0.0.1:$metrics/metrics   (first samples)"
metrics_text=$(curl -s "http://127.0.0.1:$metrics/metrics")
awk '!/^#/ && n++ < 12' <<<"$metrics_text"

if [ "$console" = 1 ]; then
    cp "$bin/tessel-console" "$app"/
    echo "== tessel-console on this site (close the window to stop the servers)"
    TESSEL_PASSWORD="Adm1n pass" "$app/tessel-console" --user admin
fi

stop_server
trap - EXIT
echo "== servers stopped; the databases stay in $app/Db, the files in $app/Db/files"
