#!/usr/bin/env bash
# Builds the Release benchmarks, runs every benchmark binary and PostgreSQL's prepared point
# select in one go, and prints one table: measure, ours, beside, ratio, target, met.
#
#   bash scripts/bench.sh            every benchmark, 3 repetitions each (medians)
#   bash scripts/bench.sh --quick    the measures marked quick, 3 repetitions each (medians),
#                                    shorter runs (about 4 minutes once the build is done)
#   bash scripts/bench.sh --no-build use build-bench as it is
#
# The raw Google Benchmark JSON of the run stays in build-bench/bench-results/. The measures are
# the MEASURES list below: one line per measure, so a new benchmark's measures are one line each.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
quick=0
do_build=1
for arg in "$@"; do
    case "$arg" in
        --quick) quick=1 ;;
        --no-build) do_build=0 ;;
        -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
        *) echo "bench.sh: unknown option $arg" >&2; exit 2 ;;
    esac
done

BENCHES=(bench_channel bench_partition bench_tree bench_alarm_record bench_custom_tree bench_recordings
         bench_facelib_cars bench_passenger_flow bench_passages bench_console_tree)

# One line per measure, fields separated by " | ":
#   measure name | ours | beside | target | quick
# ours and beside name a figure: "binary:benchmark regex:field", where field is real_time,
# cpu_time, items_per_second or a counter of the benchmark; "pg" is PostgreSQL's prepared point
# select (bench/pg_point_select.sh) and "pg2" its rate with two clients on two threads, each
# measured before and after ours and the better of the two taken; beside may be empty.
# target: "ratio<=X" or "ratio>=X" (ours ÷ beside), "ours<=X unit" or "ours>=X unit" (unit ms, us,
# s, B or /s), or "-".
# quick: "y" when --quick runs it.
MEASURES=$(cat <<'EOF'
point select ÷ PostgreSQL prepared point select | bench_channel:^BM_PointSelect_WholeStack/:real_time | pg | ratio<=1.3 | y
point select over TLS ÷ PostgreSQL prepared point select | bench_channel:^BM_PointSelect_WholeStackTls/:real_time | pg | ratio<=1.6 | y
10,000 × 20 query ÷ in-process SQLite | bench_channel:^BM_WideQuery_WholeStack/:real_time | bench_channel:^BM_WideQuery_InProcessSqlite/:real_time | ratio<=1.3 | y
2 caller threads ÷ 1 (throughput) | bench_channel:^BM_PointSelect_Throughput/.*threads:2$:items_per_second | bench_channel:^BM_PointSelect_Throughput/.*threads:1$:items_per_second | ratio>=2.0 | y
2 caller threads ÷ PostgreSQL two clients (throughput) | bench_channel:^BM_PointSelect_Throughput/.*threads:2$:items_per_second | pg2 | ratio>=0.6 | y
InitTreeNodeData operator ÷ five reads in process + items | bench_tree:^BM_InitTreeNodeData_WholeStack/operator:real_time | bench_tree:^BM_FiveSelectsAndBuild_InProcessSqlite:real_time | ratio<=1.3 | y
InitTreeNodeData administrator ÷ operator | bench_tree:^BM_InitTreeNodeData_WholeStack/admin:real_time | bench_tree:^BM_InitTreeNodeData_WholeStack/operator:real_time | ratio<=1.2 | y
InsertChannelEx of 64, operator | bench_tree:^BM_InsertChannelEx64/operator:real_time |  | ours<=50 ms | y
InsertChannelEx of 64, administrator | bench_tree:^BM_InsertChannelEx64/admin:real_time |  | ours<=50 ms | y
heap per tree item, operator | bench_tree:^BM_InitTreeNodeData_WholeStack/operator:heap_B_per_item |  | ours<=540 B | y
heap per tree item, administrator | bench_tree:^BM_InitTreeNodeData_WholeStack/admin:heap_B_per_item |  | ours<=540 B | y
partitioned page 1 ÷ one table | bench_partition:^BM_Partitioned/0/:real_time | bench_partition:^BM_Unpartitioned/0/:real_time | ratio<=1.5 | n
partitioned page 1,000,000 deep ÷ one table | bench_partition:^BM_Partitioned/1000000/:real_time | bench_partition:^BM_Unpartitioned/1000000/:real_time | ratio<=2 | n
alarm search page 1 | bench_alarm_record:^BM_SearchPage_WholeStack/1/:real_time | bench_alarm_record:^BM_SearchPage_InProcessSqlite/1$:real_time | ours<=20 ms | n
alarm search page 500 | bench_alarm_record:^BM_SearchPage_WholeStack/500/:real_time | bench_alarm_record:^BM_SearchPage_InProcessSqlite/500$:real_time | ours<=20 ms | n
alarm count, 10 days, levels 3–5 | bench_alarm_record:^BM_Count_WholeStack:real_time | bench_alarm_record:^BM_Count_InProcessSqlite:real_time | ours<=150 ms | n
InsertAlarmRecord, one thread | bench_alarm_record:^BM_Insert_WholeStack:real_time |  | ours<=500 us | n
InitTreeNodeData with 20,000 custom nodes ÷ without (custom tree ≤ half) | bench_custom_tree:^BM_InitTreeNodeData/with_custom_tree:real_time | bench_custom_tree:^BM_InitTreeNodeData/without_custom_tree:real_time | ratio<=2 | n
face page 1 of 50 | bench_recordings:^BM_FacePage_WholeStack/1/:real_time | bench_recordings:^BM_FacePage_InProcessSqlite/1$:real_time | ours<=50 ms | n
face page 200 of 50 | bench_recordings:^BM_FacePage_WholeStack/200/:real_time | bench_recordings:^BM_FacePage_InProcessSqlite/200$:real_time | ours<=50 ms | n
playback search, one camera, one day | bench_recordings:^BM_PlaybackDay_WholeStack:real_time | bench_recordings:^BM_PlaybackDay_InProcessSqlite:real_time | ours<=20 ms | n
10,000 files through the bulk queue | bench_recordings:^BM_BulkAdd10000_WholeStack:real_time | bench_recordings:^BM_BulkAdd10000_InProcessSqlite:real_time | ours<=1000 ms | n
a binding's work from 100,000 sync tasks | bench_facelib_cars:^BM_GetSyncTaskOfOneBinding:real_time |  | ours<=20 ms | n
vehicle page of 50 among 200,000, plate filter | bench_facelib_cars:^BM_CarPageWithPlateFilter:real_time |  | ours<=30 ms | n
passenger-flow reports from 4 threads | bench_passenger_flow:^BM_AddReports4Threads_WholeStack:reports/s | bench_passenger_flow:^BM_AddReports_InProcessSqlite:reports/s | ours>=5000 /s | n
passenger-flow statistics by day, 16 channels, a year stored | bench_passenger_flow:^BM_Statistics_WholeStack/period:0:real_time | bench_passenger_flow:^BM_Statistics_InProcessSqlite/period:0:real_time | ours<=50 ms | n
car passages page 1 of 50, 6 months of 200,000, plate prefix | bench_passages:^BM_CarPage_WholeStack/1/:real_time | bench_passages:^BM_CarPage_InProcessSqlite/1$:real_time | ours<=50 ms | n
car passages page 100 of 50, 6 months of 200,000, plate prefix | bench_passages:^BM_CarPage_WholeStack/100/:real_time | bench_passages:^BM_CarPage_InProcessSqlite/100$:real_time | ours<=50 ms | n
console tree of 10,000 channels in its view ÷ InitTreeNodeData alone | bench_console_tree:^BM_ConsoleTreeLoad:real_time | bench_console_tree:^BM_InitTreeNodeData:real_time | ratio<=1.5 | y
console scrolling: rows read per second, every row's shown roles | bench_console_tree:^BM_ScrollEveryRow:items_per_second |  | ours>=100000 /s | y
console scrolling: server round trips while every row is read (the benchmark fails on any) | bench_console_tree:^BM_ScrollEveryRow:round_trips |  | - | y
EOF
)

cores=$(nproc)
out="$build/bench-results"
rm -rf "$out"
mkdir -p "$out"

# The binaries (and in --quick the benchmarks) the measures need.
wanted=$(MEASURES="$MEASURES" QUICK=$quick python3 - <<'PY'
import os
want = {}
for line in os.environ["MEASURES"].splitlines():
    f = [x.strip() for x in line.split(" | ")]
    if len(f) != 5 or (os.environ["QUICK"] == "1" and f[4] != "y"):
        continue
    for side in (f[1], f[2]):
        if side and side not in ("pg", "pg2"):
            # "binary:regex:field"; the regex may hold ':' (threads:2), the field follows the last one
            binary, rest = side.split(":", 1)
            regex = rest.rsplit(":", 1)[0]
            want.setdefault(binary, []).append(regex.lstrip("^").rstrip("$"))
for binary, regexes in want.items():
    print(binary + "\t" + "|".join(sorted(set(regexes))))
PY
)

if [ "$quick" = 1 ]; then
    BENCHES=($(cut -f1 <<<"$wanted"))
fi
if [ "$do_build" = 1 ]; then
    echo "== building the Release benchmarks in $build" >&2
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=ON \
        >/dev/null
    nice cmake --build "$build" -j2 --target "${BENCHES[@]}" tessel-dbserver WebSocket >&2
fi
load_before=$(uptime)
start=$(date +%s)

run_pg=0
if grep -qE ' \| pg2? \| ' <<<"$MEASURES"; then run_pg=1; fi
pg_duration=10
[ "$quick" = 1 ] && pg_duration=4
# PostgreSQL before and after ours: the better figure of the two is the comparison.
measure_pg() {
    echo "== PostgreSQL prepared point select ($1)" >&2
    if ! DURATION=$pg_duration bash "$root/bench/pg_point_select.sh" >"$out/pg-$1.txt" 2>&1; then
        echo "   pg_point_select.sh failed (see $out/pg-$1.txt)" >&2
    fi
}
if [ "$run_pg" = 1 ]; then
    measure_pg before
fi

cd "$build/bin"
for bench in "${BENCHES[@]}"; do
    filter=$(awk -F'\t' -v b="$bench" '$1 == b { print $2 }' <<<"$wanted")
    if [ "$quick" = 1 ] && [ -z "$filter" ]; then
        continue
    fi
    args=(--benchmark_out="$out/$bench.json" --benchmark_out_format=json)
    if [ "$quick" = 1 ]; then
        args+=(--benchmark_filter="$filter" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true)
        export TESSEL_BENCH_QUICK=1
    else
        args+=(--benchmark_repetitions=3 --benchmark_report_aggregates_only=true)
        unset TESSEL_BENCH_QUICK
    fi
    echo "== $bench" >&2
    if ! "./$bench" "${args[@]}" >"$out/$bench.txt" 2>&1; then
        echo "   $bench failed (see $out/$bench.txt)" >&2
    fi
done
if [ "$run_pg" = 1 ]; then
    measure_pg after
fi
load_after=$(uptime)
elapsed=$(($(date +%s) - start))

MEASURES="$MEASURES" QUICK=$quick OUT="$out" CORES=$cores LOAD_BEFORE="$load_before" LOAD_AFTER="$load_after" \
    ELAPSED=$elapsed python3 - <<'PY'
import json, os, re, statistics

out = os.environ["OUT"]
quick = os.environ["QUICK"] == "1"
runs = {}


def load(binary):
    if binary not in runs:
        try:
            with open(os.path.join(out, binary + ".json")) as f:
                runs[binary] = json.load(f).get("benchmarks", [])
        except (OSError, ValueError):
            runs[binary] = None
    return runs[binary]


SCALE = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def value(entry, field):
    if field in ("real_time", "cpu_time"):
        return entry[field] * SCALE[entry.get("time_unit", "ns")], "s"
    return float(entry[field]), ""


def figure(side):
    """(value, unit) of 'binary:regex:field' or 'pg'; None when it did not run."""
    if side in ("pg", "pg2"):
        found = []
        for run in ("before", "after"):
            try:
                text = open(os.path.join(out, f"pg-{run}.txt")).read()
            except OSError:
                continue
            if side == "pg":
                m = re.search(r"point select: ([0-9.]+) us", text)
                if m:
                    found.append(float(m.group(1)) * 1e-6)
            else:
                m = re.search(r"two clients: ([0-9.]+) per second", text)
                if m:
                    found.append(float(m.group(1)))
        if not found:
            return None
        return (min(found), "s") if side == "pg" else (max(found), "")
    binary, rest = side.split(":", 1)
    regex, field = rest.rsplit(":", 1)
    entries = load(binary)
    if not entries:
        return None
    matching = [e for e in entries if re.search(regex, e.get("run_name", e["name"]))
                and not e.get("error_occurred") and field in e]
    medians = [e for e in matching if e.get("aggregate_name") == "median"]
    if medians:
        return value(medians[0], field)
    plain = [e for e in matching if e.get("run_type", "iteration") == "iteration"]
    if not plain:
        return None
    values = [value(e, field) for e in plain]
    return statistics.median(v for v, _ in values), values[0][1]


def show(fig):
    if fig is None:
        return "—"
    v, unit = fig
    if unit == "s":
        if v >= 1:
            return f"{v:,.2f} s"
        if v >= 1e-3:
            return f"{v * 1e3:,.1f} ms"
        return f"{v * 1e6:,.1f} µs"
    if v >= 1000:
        return f"{v:,.0f}"
    return f"{v:,.1f}"


TO_BASE = {"ms": ("s", 1e-3), "us": ("s", 1e-6), "µs": ("s", 1e-6), "s": ("s", 1.0), "B": ("", 1.0), "/s": ("", 1.0)}

rows = []
for line in os.environ["MEASURES"].splitlines():
    f = [x.strip() for x in line.split(" | ")]
    if len(f) != 5 or (quick and f[4] != "y"):
        continue
    name, ours_side, beside_side, target, _ = f
    ours = figure(ours_side)
    beside = figure(beside_side) if beside_side else None
    ratio = ours[0] / beside[0] if ours and beside and beside[0] else None
    met = ""
    m = re.fullmatch(r"ratio(<=|>=)([0-9.]+)", target)
    if m:
        limit = float(m.group(2))
        target_text = ("≤ " if m.group(1) == "<=" else "≥ ") + f"{limit:g}×"
        if ratio is None:
            met = "not run"
        elif (ratio <= limit) if m.group(1) == "<=" else (ratio >= limit):
            met = "met"
        else:
            met = f"MISSED by {abs(ratio / limit - 1) * 100:.0f} %"
    else:
        m = re.fullmatch(r"ours(<=|>=)([0-9.]+) *(\S+)", target)
        if m:
            unit, scale = TO_BASE[m.group(3)]
            limit = float(m.group(2)) * scale
            at_most = m.group(1) == "<="
            target_text = ("≤ " if at_most else "≥ ") + m.group(2) + " " + m.group(3)
            if ours is None:
                met = "not run"
            elif (ours[0] <= limit) if at_most else (ours[0] >= limit):
                met = "met"
            else:
                met = f"MISSED by {abs(ours[0] / limit - 1) * 100:.0f} %"
        else:
            target_text = "—"
            met = "—" if ours else "not run"
    rows.append((name, show(ours), show(beside) if beside_side else "", f"{ratio:.2f}×" if ratio else "",
                 target_text, met))

head = ("Measure", "Ours", "Beside", "Ratio", "Target", "Met")
print(f"Machine: {os.environ['CORES']} cores; {'quick' if quick else 'full'} run of {os.environ['ELAPSED']} s")
print("Load before:" + os.environ["LOAD_BEFORE"])
print("Load after: " + os.environ["LOAD_AFTER"])
for run in ("before", "after"):
    try:
        lines = [l.strip() for l in open(os.path.join(out, f"pg-{run}.txt")) if l.startswith("postgresql")]
    except OSError:
        continue
    print(f"PostgreSQL {run} ours: " + "; ".join(lines))
print()
print("| " + " | ".join(head) + " |")
print("|" + "|".join("---" for _ in head) + "|")
for r in rows:
    print("| " + " | ".join(r) + " |")
PY
