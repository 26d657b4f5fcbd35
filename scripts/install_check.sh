#!/usr/bin/env bash
# The install as users get it, from an existing build folder (argument; default build-test-asan):
# 1. `cmake --install` into a temporary prefix, examples/minimal-client built against that prefix
#    with find_package(TesselDataLayer) and run against the installed tessel-dbserver;
# 2. `cpack -G DEB`, lintian on every package (no errors), every package unpacked with `dpkg -x`
#    into a clean folder, the unpacked server run once with its packaged options file (tesselctl
#    server-status and the metrics endpoint asked for their figures, the public certificate
#    0644, the key 0600) and the unpacked file service run once with its packaged options.
# No root rights, no system folder touched. Prints "N passed, N failed" at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-test-asan}")
work=$(mktemp -d /tmp/tessel-install.XXXXXX)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null && wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
passed=0
failed=0
check() {  # check NAME COMMAND...: runs the command, stopping at its first failing step; counts
    local name=$1
    shift
    local started=$SECONDS rc=0
    set +e
    (set -e; "$@") >"$work/check.log" 2>&1
    rc=$?
    set -e
    if [ "$rc" -eq 0 ]; then
        passed=$((passed + 1))
        echo "install check: $name ok ($((SECONDS - started)) s)"
    else
        failed=$((failed + 1))
        echo "install check: $name FAILED" >&2
        tail -n 40 "$work/check.log" >&2
    fi
}
free_base() { echo $((20000 + RANDOM % 30000)); }
# start_server LOG ARGS...: starts tessel-dbserver in the background, waits for its ready line
start_server() {
    local log=$1
    shift
    "$@" >"$log" 2>&1 &
    pids+=($!)
    for _ in $(seq 1 100); do
        grep -q "listening" "$log" && return 0
        sleep 0.1
    done
    cat "$log" >&2
    return 1
}

# ---- 1. cmake --install and the example ----
prefix=$work/prefix
check "cmake --install" cmake --install "$build" --prefix "$prefix"
example=$work/example
check "example configured with find_package" \
    cmake -S examples/minimal-client -B "$example" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=RelWithDebInfo
check "example built" cmake --build "$example"

port=$(free_base)
start_server "$work/server.log" "$prefix/bin/tessel-dbserver" --data-dir "$work/data" --port "$port" \
    --log-level warning || failed=$((failed + 1))
cat >"$example/DbServerConfig.json" <<JSON
{ "server_ip": "127.0.0.1", "server_port": $port }
JSON
echo '{ "language": "EN" }' >"$example/StartConfiguration.json"
echo "{ \"ca_file\": \"$work/data/tls/server.crt\" }" >"$example/WebSocket.json"
export TESSEL_WS_CONFIG=$example/WebSocket.json TESSEL_LOG_LEVEL=4
# Client programs keep the resource items the mediator hands out until they end (the items belong
# to the client once the mediator is gone), and OpenSSL's state of their TLS channels: no leak
# report for them; the servers keep theirs.
client_asan=${ASAN_OPTIONS:-}:detect_leaks=0
ctl() { ASAN_OPTIONS=$client_asan "$prefix/bin/tesselctl" --server "127.0.0.1:$port" "$@"; }
check "installed tesselctl makes an administrator" ctl init-admin admin "Adm1n pass"
check "installed tesselctl adds a host" ctl add-host 127.0.0.2 3000 cam "cam pass" 2 0 0 "Install gate" \
    --user admin --password "Adm1n pass"
example_prints_tree() {
    local out
    out=$(ASAN_OPTIONS=$client_asan "$example/minimal-client" admin "Adm1n pass")
    echo "$out"
    grep -q "^resource tree of admin: 1 hosts" <<<"$out" && grep -q "^Install gate " <<<"$out" &&
        [ "$(grep -c '^  ' <<<"$out")" -eq 2 ]
}
check "example logs in and prints the tree" example_prints_tree
pc_flags() {
    local flags
    flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs tessel-datalayer)
    echo "$flags"
    grep -q -- "-I$prefix/lib/pkgconfig/../../include/tessel" <<<"$flags"
    grep -q -- "-L$prefix/lib/pkgconfig/../../lib/tessel " <<<"$flags"
}
check "pkg-config file points into the prefix" pc_flags
private_libraries() {
    # The libraries stay out of the linker's path; the data layer's configuration is a link into etc.
    [ -f "$prefix/lib/tessel/libDataMediator.so" ] && [ -f "$prefix/lib/tessel/libWebSocket.so" ]
    ! ls "$prefix"/lib/*.so 2>/dev/null
    [ "$(readlink "$prefix/lib/tessel/DbServerConfig.json")" = ../../etc/tessel/DbServerConfig.json ]
    [ -f "$prefix/etc/tessel/DbServerConfig.json" ]
}
check "libraries in the private folder lib/tessel" private_libraries

# ---- 2. Debian packages ----
debs=$work/debs
check "cpack -G DEB" bash -c "cd '$build' && cpack -G DEB -B '$debs'"
packages_named() {
    local package
    for package in tessel-dbserver tessel-fileserver libtessel-datalayer libtessel-datalayer-dev \
        tessel-console; do
        ls "$debs"/${package}_*.deb
    done
    # Whole listings first: grep -q leaving early would break dpkg-deb's pipe.
    dpkg-deb -c "$debs"/tessel-dbserver_*.deb >"$work/server.list"
    dpkg-deb -c "$debs"/libtessel-datalayer-dev_*.deb >"$work/dev.list"
    grep -q "\./usr/lib/systemd/system/tessel-dbserver.service$" "$work/server.list"
    grep -q "\./usr/share/tessel/schema/Tessel.sql$" "$work/server.list"
    grep -q "TesselDataLayerConfigVersion.cmake$" "$work/dev.list"
    dpkg-deb -I "$debs"/tessel-dbserver_*.deb conffiles >"$work/conffiles"
    grep -qx "/etc/tessel/dbserver.conf" "$work/conffiles"
    dpkg-deb -I "$debs"/libtessel-datalayer-dev_*.deb >"$work/dev.info"
    grep -q "Depends:.*libtessel-datalayer (= 0" "$work/dev.info"
    dpkg-deb -c "$debs"/tessel-fileserver_*.deb >"$work/fileserver.list"
    dpkg-deb -c "$debs"/libtessel-datalayer_*.deb >"$work/client.list"
    grep -q "\./usr/lib/systemd/system/tessel-fileserver.service$" "$work/fileserver.list"
    grep -q "\./usr/bin/tessel-fileserver$" "$work/fileserver.list"
    grep -q "\./usr/lib/tessel/libDataMediator.so$" "$work/client.list"
    grep -q "\./usr/lib/tessel/DbServerConfig.json -> /etc/tessel/DbServerConfig.json$" "$work/client.list"
    grep -qE "^drwxr-xr-x root/root .* \./var/lib/tessel/$" "$work/server.list"
    dpkg-deb -I "$debs"/tessel-fileserver_*.deb conffiles >"$work/fs-conffiles"
    grep -qx "/etc/tessel/fileserver.env" "$work/fs-conffiles"
    dpkg-deb -c "$debs"/tessel-console_*.deb >"$work/console.list"
    grep -q "\./usr/lib/tessel/tessel-console$" "$work/console.list"
    grep -q "\./usr/share/applications/tessel-console.desktop$" "$work/console.list"
    dpkg-deb -I "$debs"/tessel-console_*.deb >"$work/console.info"
    grep -q "Depends:.*libtessel-datalayer (= 0" "$work/console.info"
    for deb in "$debs"/*.deb; do
        dpkg-deb -c "$deb" >"$work/one.list"
        grep -q "/usr/share/doc/.*/copyright$" "$work/one.list"
        grep -q "/usr/share/doc/.*/changelog.gz$" "$work/one.list"
    done
}
check "the five packages with their files" packages_named
lintian_clean() {
    # Errors fail the check; warnings are shown. Packages of a sanitized build carry the
    # sanitizer runtimes' traits (unusual sections, no fortified calls), which are no fault of
    # the packaging.
    lintian --fail-on error --tag-display-limit 0 --suppress-tags \
        hardening-no-fortify-functions,hardening-no-relro,binary-has-unneeded-section \
        "$debs"/*.deb >"$build/lintian.txt" 2>&1 || { cat "$build/lintian.txt"; return 1; }
}
check "lintian: no errors" lintian_clean
echo "install check: lintian's warnings and notes: $(grep -c '^[WIN]: ' "$build/lintian.txt" || true) (in $build/lintian.txt)"
root=$work/root
mkdir -p "$root"
unpack() { for d in "$debs"/*.deb; do dpkg -x "$d" "$root"; done; }
check "dpkg -x into a clean folder" unpack
if command -v systemd-analyze >/dev/null; then
    unit_verifies() {
        # The unit names /usr/bin/tessel-dbserver: verified against the unpacked copy of it.
        sed "s#/usr/bin/tessel-dbserver#$root/usr/bin/tessel-dbserver#" \
            "$root/usr/lib/systemd/system/tessel-dbserver.service" >"$work/tessel-dbserver.service"
        systemd-analyze verify "$work/tessel-dbserver.service"
        grep -qx "Type=notify" "$work/tessel-dbserver.service"
        grep -qx 'ExecReload=/bin/kill -HUP $MAINPID' "$work/tessel-dbserver.service"
        sed "s#/usr/bin/tessel-fileserver#$root/usr/bin/tessel-fileserver#" \
            "$root/usr/lib/systemd/system/tessel-fileserver.service" >"$work/tessel-fileserver.service"
        systemd-analyze verify "$work/tessel-fileserver.service"
        grep -qx "User=tessel-files" "$work/tessel-fileserver.service"
        grep -qx "StateDirectory=tessel/files" "$work/tessel-fileserver.service"
    }
    check "systemd unit verifies" unit_verifies
fi
port2=$(free_base)
metrics=$((port2 + 10))
# Started here, not inside a check: a check runs in a subshell.
# The packaged options put the public certificate in /run/tessel: here it goes to the work folder.
start_server "$work/packaged.log" "$root/usr/bin/tessel-dbserver" --config "$root/etc/tessel/dbserver.conf" \
    --data-dir "$work/packaged-data" --port "$port2" --metrics-port "$metrics" \
    --public-cert "$work/public/server.crt" || failed=$((failed + 1))
run_packaged_server() {
    ASAN_OPTIONS=$client_asan TESSEL_WS_CONFIG=/dev/null TESSEL_WS_CA_FILE=$work/packaged-data/tls/server.crt \
        "$root/usr/bin/tesselctl" --server "127.0.0.1:$port2" query Tessel "SELECT count(*) AS n FROM TAB_OBJ"
    local status
    status=$(ASAN_OPTIONS=$client_asan TESSEL_WS_CA_FILE=$work/packaged-data/tls/server.crt \
        "$root/usr/bin/tesselctl" --server "127.0.0.1:$port2" server-status)
    echo "$status"
    grep -q "^ExecuteQuery  *1  *0 " <<<"$status"
    grep -qE "^Tessel  +[0-9]+" <<<"$status"
    local text
    text=$(curl -sf "http://127.0.0.1:$metrics/metrics")
    grep -q '^tessel_command_requests_total{command="ExecuteQuery",outcome="served"} 1$' <<<"$text"
    grep -q "options read from $root/etc/tessel/dbserver.conf" "$work/packaged.log"
    grep -q "^tessel_tls_certificate_expiry_timestamp_seconds [0-9]" <<<"$text"
}
check "unpacked server runs with its packaged options" run_packaged_server
certificate_modes() {
    [ "$(stat -c %a "$work/public/server.crt")" = 644 ]
    [ "$(stat -c %a "$work/packaged-data/tls/server.key")" = 600 ]
    cmp "$work/public/server.crt" "$work/packaged-data/tls/server.crt"
}
check "public certificate 0644, key 0600" certificate_modes

# The file service with the options of its packaged environment file.
fs_port=$(free_base)
# shellcheck disable=SC1091
fs_options=$(. "$root/etc/tessel/fileserver.env" && echo "$TESSEL_FILESERVER_OPTIONS")
mkdir -p "$work/files"
# shellcheck disable=SC2086
start_server "$work/fileserver.log" "$root/usr/bin/tessel-fileserver" --root "$work/files" $fs_options \
    --port "$fs_port" || failed=$((failed + 1))
run_packaged_fileserver() {
    local code
    code=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$fs_port/download?filePath=none")
    echo "HTTP $code"
    [ "$code" -ge 200 ] && [ "$code" -lt 500 ]
}
check "unpacked file service runs with its packaged options" run_packaged_fileserver

echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
