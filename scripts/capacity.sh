#!/usr/bin/env bash
# The capacity run: how many operator stations one tessel-dbserver holds. Not part of CI.
#
#   bash scripts/capacity.sh            full site, N = 1, 2, 4, ... 128 stations, 60 s a step
#   bash scripts/capacity.sh --quick    smaller site history, N = 1, 2, 4, 8, 20 s a step
#                                       (under 10 minutes with the build's ccache warm)
#   options: --no-build (use build-capacity as it is), --steps "1 2 4", --duration S,
#            --rate-scale X (every station's rates times X), --out DIR,
#            --stagger S (seconds between two stations' starts, default 0.25; 0: all at once)
#
# Builds the Release server, library, station and seeder in build-capacity, seeds the site once
# into build-capacity/site-full (or site-quick) and reuses it while the schema and the seeder stay
# the same, starts one server on loopback, then runs each step's stations as separate processes.
# Every step stops by itself; the run stops early once a step has errors or its interactive p99
# passes 1 s (saturated). Prints the table and the knee, and leaves the raw JSON and the plots in
# build-capacity/capacity-results/<time>/ (or --out). Every process it starts is stopped on exit
# or Ctrl-C. See docs/capacity.md.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-capacity"
quick=0
do_build=1
steps=""
duration=""
rate_scale=1
stagger=0.25
out=""
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) quick=1 ;;
        --no-build) do_build=0 ;;
        --steps) steps="$2"; shift ;;
        --duration) duration="$2"; shift ;;
        --rate-scale) rate_scale="$2"; shift ;;
        --out) out="$2"; shift ;;
        --stagger) stagger="$2"; shift ;;
        -h|--help) sed -n '2,18p' "$0"; exit 0 ;;
        *) echo "capacity.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
if [ "$quick" = 1 ]; then
    steps=${steps:-"1 2 4 8"}
    duration=${duration:-20}
    mode=quick
else
    steps=${steps:-"1 2 4 8 16 32 64 128"}
    duration=${duration:-60}
    mode=full
fi

started=$(date +%s)
pids=()
server_pid=""
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'echo "capacity.sh: interrupted" >&2; exit 130' INT TERM

if [ "$do_build" = 1 ]; then
    mkdir -p "$build"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=ON \
        >"$build/capacity-cmake.log" 2>&1 || { cat "$build/capacity-cmake.log"; exit 1; }
    nice cmake --build "$build" -j2 --target tessel-dbserver WebSocket DataMediator tessel-station tessel-site-seed \
        >"$build/capacity-build.log" 2>&1 || { tail -50 "$build/capacity-build.log"; exit 1; }
fi
bin="$build/bin"
[ -x "$bin/tessel-station" ] && [ -x "$bin/tessel-site-seed" ] || { echo "capacity.sh: not built" >&2; exit 1; }

# One system id for the seeder and every station (the recording index and the linkage are per
# system id); the address comes from DbServerConfig.json next to the binaries, as in a client.
echo '{"clientid":"ca9ac17e"}' >"$bin/StartConfiguration.json"

# The step's summary and verdict (--step DIR), or the table, the knee and the plots (--results DIR).
# Debian's python3 (its python3-matplotlib draws the plots), ahead of any other python3 on PATH.
py=python3
[ -x /usr/bin/python3 ] && py=/usr/bin/python3
report() {
    "$py" - "$@" <<'PY'
import glob, json, math, os, sys

INTERACTIVE = ["alarm_page", "alarm_count", "face_search", "playback", "flow_stats", "view_read"]
WRITES = ["alarm_write", "flow_report"]
STARTUP = ["login", "tree_load", "settings", "alarm_types", "linkage", "connect"]


def percentile(samples, p):
    """Nearest rank, as the station computes it."""
    if not samples:
        return None
    s = sorted(samples)
    rank = max(1, math.ceil(p / 100.0 * len(s)))
    return s[min(rank, len(s)) - 1]


def summarize(step_dir, duration):
    step = json.load(open(os.path.join(step_dir, "step.json")))
    n = step["n"]
    kinds = {}
    missing = 0
    not_started = 0
    max_lag = 0.0
    for i in range(n):
        path = os.path.join(step_dir, f"station-{i}.json")
        try:
            st = json.load(open(path))
        except (OSError, ValueError):
            missing += 1
            continue
        if not st.get("started"):
            not_started += 1
        max_lag = max(max_lag, st.get("max_lag_ms", 0))
        for kind, o in st["ops"].items():
            k = kinds.setdefault(kind, {"samples": [], "errors": 0})
            k["samples"] += o["samples_ms"]
            k["errors"] += o["errors"]
    new = None
    try:
        nj = json.load(open(os.path.join(step_dir, "new.json")))
        tl = nj["ops"].get("tree_load", {})
        errs = sum(o["errors"] for o in nj["ops"].values())
        new = {"tree_load_ms": tl.get("max_ms"), "errors": errs, "started": nj.get("started", False),
               "startup_ms": sum(o["samples_ms"][0] for o in nj["ops"].values() if o["samples_ms"])}
    except (OSError, ValueError):
        new = {"tree_load_ms": None, "errors": 1, "started": False, "startup_ms": None}
    ops = {}
    for kind, k in kinds.items():
        ops[kind] = {"count": len(k["samples"]), "errors": k["errors"], "p50_ms": percentile(k["samples"], 50),
                     "p99_ms": percentile(k["samples"], 99), "max_ms": max(k["samples"]) if k["samples"] else None}
    inter = [x for kind in INTERACTIVE for x in kinds.get(kind, {"samples": []})["samples"]]
    served = sum(len(kinds.get(kind, {"samples": []})["samples"]) for kind in INTERACTIVE + WRITES)
    errors = sum(k["errors"] for k in kinds.values()) + missing + new["errors"] + (0 if new["started"] else 1)
    busy = step["machine_busy"]
    total = step["machine_total"]
    summary = {
        "n": n,
        "duration_s": duration,
        "wall_s": step["wall_s"],
        "requests_per_s": served / duration if duration else None,
        "errors": errors,
        "missing_stations": missing,
        "stations_not_started": not_started,
        "interactive": {"count": len(inter), "p50_ms": percentile(inter, 50), "p99_ms": percentile(inter, 99),
                        "max_ms": max(inter) if inter else None},
        "ops": ops,
        "new_station": new,
        "server_cpu_percent": 100.0 * step["server_cpu_s"] / step["wall_s"],
        "server_rss_mb": step["server_rss_kb"] / 1024.0,
        "machine_busy_percent": 100.0 * (busy[1] - busy[0]) / max(1, total[1] - total[0]),
        "max_lag_ms": max_lag,
    }
    json.dump(summary, open(os.path.join(step_dir, "summary.json"), "w"), indent=1)
    return summary


def fmt(v, digits=1):
    if v is None:
        return "—"
    if v >= 100:
        return f"{v:,.0f}"
    return f"{v:.{digits}f}"


def report(results, duration, mode):
    steps = []
    for d in sorted(glob.glob(os.path.join(results, "n*")), key=lambda p: int(os.path.basename(p)[1:])):
        if os.path.exists(os.path.join(d, "summary.json")):
            steps.append(json.load(open(os.path.join(d, "summary.json"))))
    if not steps:
        print("no steps ran")
        return 1
    head = ["N", "req/s", "errors", "interactive p50 / p99 / max ms", "alarm page p99", "alarm count p99",
            "face search p99", "playback p99", "flow stats p99", "view read p99", "alarm write p99",
            "flow report p99", "tree load of the step's stations p50 / max", "new station's tree load ms", "server CPU %",
            "server RSS MB", "machine busy %", "stations' max lag ms"]

    def p99(s, kind):
        return fmt(s["ops"].get(kind, {}).get("p99_ms"))

    rows = []
    for s in steps:
        tl = s["ops"].get("tree_load", {})
        rows.append([str(s["n"]), fmt(s["requests_per_s"]), str(s["errors"]),
                     f'{fmt(s["interactive"]["p50_ms"])} / {fmt(s["interactive"]["p99_ms"])} / {fmt(s["interactive"]["max_ms"])}',
                     p99(s, "alarm_page"), p99(s, "alarm_count"), p99(s, "face_search"), p99(s, "playback"),
                     p99(s, "flow_stats"), p99(s, "view_read"), p99(s, "alarm_write"), p99(s, "flow_report"),
                     f'{fmt(tl.get("p50_ms"))} / {fmt(tl.get("max_ms"))}', fmt(s["new_station"]["tree_load_ms"]),
                     fmt(s["server_cpu_percent"]), fmt(s["server_rss_mb"]), fmt(s["machine_busy_percent"]),
                     fmt(s["max_lag_ms"])])
    print()
    print(f"Capacity run ({mode}, {duration} s a step)")
    print()
    print("| " + " | ".join(head) + " |")
    print("|" + "|".join("---" for _ in head) + "|")
    for r in rows:
        print("| " + " | ".join(r) + " |")
    knee = None
    for s in steps:
        p = s["interactive"]["p99_ms"]
        if s["errors"] == 0 and p is not None and p < 100:
            knee = s["n"]
        else:
            break
    print()
    if knee is None:
        print("knee: none (the first step already fails or passes 100 ms at p99)")
    elif knee == steps[-1]["n"]:
        print(f"knee: not reached: every step up to N = {knee} keeps interactive p99 < 100 ms without errors")
    else:
        print(f"knee: N = {knee} (the largest N with interactive p99 < 100 ms and no errors)")
    json.dump({"mode": mode, "duration_s": duration, "knee": knee, "steps": steps},
              open(os.path.join(results, "results.json"), "w"), indent=1)
    plot(results, steps)
    return 0


def plot(results, steps):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("no plots: python3-matplotlib is not installed")
        return
    ns = [s["n"] for s in steps]
    fig, ax = plt.subplots(figsize=(8, 5))
    for kind in INTERACTIVE + WRITES:
        ys = [s["ops"].get(kind, {}).get("p99_ms") for s in steps]
        if any(y is not None for y in ys):
            ax.plot(ns, [y if y is not None else float("nan") for y in ys], marker="o", label=kind)
    ax.axhline(100, color="grey", linestyle="--", linewidth=1, label="100 ms")
    ax.set_xscale("log", base=2)
    ax.set_yscale("log")
    ax.set_xlabel("operator stations")
    ax.set_ylabel("p99 latency (ms)")
    ax.set_title("p99 latency by operation")
    ax.grid(True, which="both", alpha=0.3)
    ax.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(results, "capacity-latency.png"), dpi=110)
    plt.close(fig)

    fig, ax = plt.subplots(figsize=(8, 5))
    ax.plot(ns, [s["requests_per_s"] for s in steps], marker="o", color="tab:blue", label="operations/s served")
    ax.set_xscale("log", base=2)
    ax.set_xlabel("operator stations")
    ax.set_ylabel("operations per second")
    ax2 = ax.twinx()
    ax2.plot(ns, [s["server_cpu_percent"] for s in steps], marker="s", color="tab:red", label="server CPU %")
    ax2.plot(ns, [s["machine_busy_percent"] for s in steps], marker="^", color="tab:grey",
             label="machine busy % (all cores)")
    ax2.set_ylabel("percent (server: of one core)")
    lines = ax.get_legend_handles_labels()
    lines2 = ax2.get_legend_handles_labels()
    ax.legend(lines[0] + lines2[0], lines[1] + lines2[1], fontsize=8, loc="upper left")
    ax.set_title("throughput and CPU")
    ax.grid(True, alpha=0.3)
    fig.tight_layout()
    fig.savefig(os.path.join(results, "capacity-throughput.png"), dpi=110)
    plt.close(fig)

    fig, ax = plt.subplots(figsize=(8, 5))
    ax.plot(ns, [s["new_station"]["tree_load_ms"] or float("nan") for s in steps], marker="o",
            label="a new station while the others work")
    ax.plot(ns, [s["ops"].get("tree_load", {}).get("max_ms") or float("nan") for s in steps], marker="s",
            label="slowest of the step's stations starting")
    ax.set_xscale("log", base=2)
    ax.set_yscale("log")
    ax.set_xlabel("operator stations")
    ax.set_ylabel("InitTreeNodeData (ms)")
    ax.set_title("tree load of an operator (100 hosts, 1,000 channels)")
    ax.grid(True, which="both", alpha=0.3)
    ax.legend(fontsize=8)
    ax3 = ax.twinx()
    ax3.plot(ns, [s["server_rss_mb"] for s in steps], marker="^", color="tab:green", label="server RSS MB")
    ax3.set_ylabel("server RSS (MB)")
    fig.tight_layout()
    fig.savefig(os.path.join(results, "capacity-tree.png"), dpi=110)
    plt.close(fig)


def main():
    args = sys.argv[1:]
    opts = {}
    while args:
        key = args.pop(0)
        opts[key] = args.pop(0)
    duration = float(opts["--duration"])
    if "--step" in opts:
        s = summarize(opts["--step"], duration)
        p = s["interactive"]["p99_ms"]
        line = (f'{s["requests_per_s"]:.1f} ops/s, interactive p99 {fmt(p)} ms, errors {s["errors"]}, '
                f'server CPU {s["server_cpu_percent"]:.0f} %, new station tree load '
                f'{fmt(s["new_station"]["tree_load_ms"])} ms')
        if s["errors"] > 0:
            print(f"STOP (errors): {line}")
        elif p is None or p > 1000:
            print(f"STOP (interactive p99 past 1 s): {line}")
        else:
            print(f"ok: {line}")
        return 0
    return report(opts["--results"], duration, opts.get("--mode", ""))


sys.exit(main())
PY
}

# ---- the site ----
site="$build/site-$mode"
stamp=$( (cat "$root"/server/schema/*.sql "$root"/server/schema/*/*.sql "$root/bench/station/SiteSeeder.cpp";
          echo "$mode") | sha256sum | cut -d' ' -f1)
if [ -f "$site/stamp" ] && [ "$(cat "$site/stamp")" = "$stamp" ]; then
    echo "site: $site (reused)"
else
    rm -rf "$site"
    mkdir -p "$site"
    echo "site: seeding $site ($mode)"
    t0=$(date +%s)
    (cd "$bin" && ./tessel-site-seed --data-dir "$site" $([ "$quick" = 1 ] && echo --quick))
    echo "$stamp" >"$site/stamp"
    echo "site: seeded in $(( $(date +%s) - t0 )) s, $(du -sh "$site" | cut -f1)"
fi
[ "$quick" = 1 ] && echo "quick run: the site keeps 10,000 channels, 1,000 hosts and 50 users, but only 30 days of alarms, 2 months of captures and counts and 1 day of recordings"
password=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["password"])' "$site/site.json")

# ---- the server ----
port=$(python3 - <<'PY'
import random, socket
for _ in range(200):
    base = random.randint(20000, 60000)
    socks = []
    try:
        for i in range(4):
            s = socket.socket(); s.bind(("127.0.0.1", base + i)); socks.append(s)
        print(base); break
    except OSError:
        pass
    finally:
        for s in socks: s.close()
PY
)
results=${out:-"$build/capacity-results/$(date +%Y%m%d-%H%M%S)"}
mkdir -p "$results"
printf '{"server_ip":"127.0.0.1","server_port":%s}\n' "$port" >"$bin/DbServerConfig.json"
export TESSEL_WS_CA_FILE="$site/tls/server.crt"
"$bin/tessel-dbserver" --data-dir "$site" --port "$port" --log-level warning >"$results/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 1 300); do
    grep -q listening "$results/server.log" 2>/dev/null && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$results/server.log"; exit 1; }
    sleep 0.1
done
grep -q listening "$results/server.log" || { echo "capacity.sh: server did not start" >&2; exit 1; }

{
    echo "nproc: $(nproc)"
    grep -E 'MemTotal|MemAvailable' /proc/meminfo
    grep -m1 'model name' /proc/cpuinfo
    echo "uptime before: $(uptime)"
} >"$results/machine.txt"

proc_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
machine_busy() { awk '/^cpu /{print $2+$3+$4+$7+$8, $2+$3+$4+$5+$6+$7+$8}' /proc/stat; }
rss_kb() { awk '/VmRSS/{print $2}' "/proc/$1/status"; }

# ---- the steps ----
for n in $steps; do
    dir="$results/n$n"
    mkdir -p "$dir"
    echo "step: $n station(s), ${duration} s each, started ${stagger} s apart"
    ticks0=$(proc_ticks "$server_pid"); busy0=$(machine_busy); t0=$(date +%s.%N)
    pids=()
    for i in $(seq 0 $((n - 1))); do
        user=$(printf 'op%02d' $(( i % 49 + 1 )))
        receiver=""
        [ $((i % 5)) = 0 ] && receiver=--receiver
        (cd "$bin" && exec nice -n 0 ./tessel-station --user "$user" --password "$password" --site "$site/site.json" \
            --duration "$duration" --rate-scale "$rate_scale" --seed $((i + 1)) $receiver \
            --out "$dir/station-$i.json" >"$dir/station-$i.log" 2>&1) &
        pids+=($!)
        [ "$i" -lt $((n - 1)) ] && sleep "$stagger"
    done
    launched=$(date +%s.%N)
    # A new station loads its tree while the others work; its RSS samples meanwhile.
    rss_max=0
    half=$(python3 -c "print(max(1.0, $duration / 2))")
    deadline=$(python3 -c "print($launched + $duration + 180)")
    new_started=0
    while :; do
        r=$(rss_kb "$server_pid"); [ "$r" -gt "$rss_max" ] && rss_max=$r
        running=0
        for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && running=$((running + 1)); done
        [ "$running" = 0 ] && break
        now=$(date +%s.%N)
        if [ "$new_started" = 0 ] && python3 -c "import sys; sys.exit(0 if $now - $launched >= $half else 1)"; then
            (cd "$bin" && exec ./tessel-station --user op01 --password "$password" --site "$site/site.json" \
                --startup-only --out "$dir/new.json" >"$dir/new.log" 2>&1) &
            pids+=($!)
            new_started=1
        fi
        if python3 -c "import sys; sys.exit(0 if $now > $deadline else 1)"; then
            echo "  stations still running after the step's time limit: stopped (counted as errors)"
            for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
            break
        fi
        sleep 1
    done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
    t1=$(date +%s.%N); ticks1=$(proc_ticks "$server_pid"); busy1=$(machine_busy)
    printf '{"n": %s, "wall_s": %s, "server_cpu_s": %s, "server_rss_kb": %s, "machine_busy": [%s], "machine_total": [%s]}\n' \
        "$n" "$(python3 -c "print($t1 - $t0)")" "$(python3 -c "print(($ticks1 - $ticks0) / $(getconf CLK_TCK))")" \
        "$rss_max" "$(echo "$busy0" | cut -d' ' -f1),$(echo "$busy1" | cut -d' ' -f1)" \
        "$(echo "$busy0" | cut -d' ' -f2),$(echo "$busy1" | cut -d' ' -f2)" >"$dir/step.json"
    verdict=$(report --step "$dir" --duration "$duration")
    echo "  $verdict"
    case "$verdict" in
        STOP*) echo "stopping early: $verdict"; break ;;
    esac
done
echo "uptime after: $(uptime)" >>"$results/machine.txt"

report --results "$results" --duration "$duration" --mode "$mode"
echo "raw JSON and plots: $results"
echo "capacity run: $(( $(date +%s) - started )) s"
