#!/usr/bin/env python3
"""Where the CPU time of a `perf record -a -g` run went, by part of the stack.

    perf record -a -g -o perf.data <command>
    python3 scripts/perf_breakdown.py perf.data

Classifies every sample by the function it was taken in (self time, idle excluded): the
kernel, Boost.Beast/Asio, OpenSSL, JSON, Qt's strings and containers, SQLite, the C/C++
runtime (malloc, memcpy), and the rest (ours). Prints each share of the busy samples, per
process and in all.
"""
import collections
import subprocess
import sys

CLASSES = [
    ("kernel", lambda dso, sym: dso.startswith("[kernel") or dso == "[vdso]"),
    ("SQLite", lambda dso, sym: "sqlite" in dso),
    ("OpenSSL", lambda dso, sym: "libssl" in dso or "libcrypto" in dso),
    ("JSON", lambda dso, sym: "rapidjson" in sym or "QJson" in sym or "Json" in sym),
    ("Beast/Asio", lambda dso, sym: "boost::" in sym),
    ("Qt strings and containers", lambda dso, sym: "libQt5" in dso),
    ("C/C++ runtime (malloc, memcpy, ...)", lambda dso, sym: "libc.so" in dso or "libstdc++" in dso
     or "ld-linux" in dso or "libm.so" in dso),
]


def main():
    data = sys.argv[1] if len(sys.argv) > 1 else "perf.data"
    out = subprocess.run(["perf", "script", "-i", data, "-F", "comm,ip,sym,dso", "-G"],
                         capture_output=True, text=True, check=False).stdout
    by_proc = collections.defaultdict(collections.Counter)
    for line in out.splitlines():
        line = line.strip()
        if not line:
            continue
        # "comm  ip sym (dso)" with -G (no call chains)
        parts = line.split(None, 2)
        if len(parts) < 3:
            continue
        comm, _, rest = parts
        if comm == "swapper" or comm.startswith("perf"):
            continue
        sym, _, dso = rest.rpartition(" (")
        dso = dso.rstrip(")")
        kind = "ours and the rest"
        for name, test in CLASSES:
            if test(dso, sym):
                kind = name
                break
        proc = "server" if comm.startswith("tessel-") else "client"
        by_proc[proc][kind] += 1
    total = collections.Counter()
    for counts in by_proc.values():
        total.update(counts)
    for proc, counts in sorted(by_proc.items()) + [("all", total)]:
        n = sum(counts.values())
        print(f"{proc}: {n} busy samples")
        for kind, c in counts.most_common():
            print(f"  {kind:40s} {100.0 * c / n:5.1f} %")


if __name__ == "__main__":
    main()
