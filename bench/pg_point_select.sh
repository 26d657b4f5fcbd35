#!/usr/bin/env bash
# PostgreSQL 15's prepared point select of the same row shape as bench_channel's, on loopback:
# installs Debian's postgresql, runs a throw-away cluster on 127.0.0.1 in a temporary folder,
# measures with pgbench and a custom script (prepared statements): one client for the latency,
# then two clients on two threads for the throughput, and stops it. Prints the average latency
# in microseconds and both rates.
set -euo pipefail
DURATION=${DURATION:-10}

if ! command -v pg_ctlcluster >/dev/null && [ ! -x /usr/lib/postgresql/15/bin/postgres ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq postgresql >/dev/null
fi
PGBIN=/usr/lib/postgresql/15/bin
work=$(mktemp -d)
chown postgres "$work"
port=$((20000 + RANDOM % 20000))
as_pg() { runuser -u postgres -- "$@"; }

cleanup() {
    as_pg "$PGBIN/pg_ctl" -D "$work/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

as_pg "$PGBIN/initdb" -D "$work/data" -A trust -U postgres >/dev/null
as_pg "$PGBIN/pg_ctl" -D "$work/data" -o "-c listen_addresses=127.0.0.1 -p $port -k $work" -l "$work/log" -w start >/dev/null

psql_run() { as_pg psql -h 127.0.0.1 -p "$port" -U postgres -q -v ON_ERROR_STOP=1 "$@"; }
psql_run -c "CREATE TABLE bench_point(s_key text PRIMARY KEY, i_a integer, i_b integer, s_c text, f_d double precision, dt_e text)"
psql_run -c "INSERT INTO bench_point SELECT lpad(x::text, 32, '0'), x, x * 7, 'caption ' || x, x / 3.0, '2024-01-01 00:00:00' FROM generate_series(1, 100000) x"
psql_run -c "ANALYZE bench_point"

cat > "$work/point.sql" <<'SQL'
\set k random(1, 100000)
SELECT s_key, i_a, i_b, s_c, f_d, dt_e FROM bench_point WHERE s_key = lpad(:k::text, 32, '0');
SQL
chown postgres "$work/point.sql"
pgbench_run() {
    as_pg pgbench -h 127.0.0.1 -p "$port" -U postgres -n -M prepared -c "$1" -j "$1" -T "$DURATION" \
        -f "$work/point.sql" postgres
}
pgbench_run 1 | awk '/latency average/ { printf "postgresql point select: %.1f us average latency\n", $4 * 1000 }
                     /^tps/ { printf "postgresql one client: %.0f per second\n", $3 }'
pgbench_run 2 | awk '/^tps/ { printf "postgresql two clients: %.0f per second\n", $3 }'
