#!/usr/bin/env bash
# Figures of the statistics for the README's table: their cost after a fit of 45 pairs (the
# page's table at degree 10, 43 and 44 included), `plorimet degrees` on 45 pairs, fit --all on
# 100,000 pairs at degree 10 with the statistics against the fit alone, `degrees --all` on 10^6
# lines against `fit --all --stats` (runs taking turns), and degrees --all --up-to 3 on 1.3e7
# lines. NIST's digits: tests/cli/nist_check.py. RUNS= sets the runs of each (default 15).
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j2 --target core_bench plorimet >/dev/null

echo "=== Statistics and degrees of 45 pairs (core_bench)"
build/native/tests/bench/core_bench --benchmark_filter='Statistics|Degrees|PageStatistics' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'median'

echo "=== NIST through fit --all --json"
python3 tests/cli/nist_check.py build/native/tools/plorimet tests/data/nist

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk 'BEGIN { srand(7); for (k = 0; k < 100000; k++) printf "%.2f %.6g\r\n", k * 0.01, 3 + 0.5 * k * 0.01 + rand() }' \
  >"$work/pairs-100000.txt"
echo "=== fit --all, 100,000 pairs, degree 10: medians of ${RUNS:-15} runs taking turns"
python3 - build/native/tools/plorimet "$work/pairs-100000.txt" <<'EOF'
import statistics, subprocess, sys, time
program, path = sys.argv[1], sys.argv[2]
times = {"(alone)": [], "--stats": [], "--json": []}
for _ in range(int(__import__("os").environ.get("RUNS", "15"))):
    for extra in times:
        args = [program, "fit", "--all", path, "--degree", "10"] + ([] if extra == "(alone)" else [extra])
        start = time.perf_counter()
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
        times[extra].append(time.perf_counter() - start)
alone = statistics.median(times["(alone)"])
for extra, values in times.items():
    print(f"fit --all {extra:8s} {statistics.median(values) * 1000:6.1f} ms  ({statistics.median(values) / alone:.2f} times the fit alone)")
EOF

awk 'BEGIN { srand(3); for (k = 0; k < 1000000; k++) printf "%.3f %.5g\n", k * 0.001, 100 + 0.5 * k * 0.001 + rand() }' \
  >"$work/lines-1000000.txt"
echo "=== degrees --all against fit --all --stats, 10^6 lines: medians of runs taking turns (CPU and wall)"
python3 - build/native/tools/plorimet "$work/lines-1000000.txt" <<'EOF'
import os, resource, statistics, subprocess, sys, time
program, path = sys.argv[1], sys.argv[2]
commands = {"fit --all": ["fit", "--all", path, "--degree", "10"],
            "fit --all --stats": ["fit", "--all", path, "--degree", "10", "--stats"],
            "degrees --all": ["degrees", "--all", path]}
wall = {k: [] for k in commands}
cpu = {k: [] for k in commands}
for _ in range(int(os.environ.get("RUNS", "15"))):
    for name, args in commands.items():
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run([program] + args, check=True, stdout=subprocess.DEVNULL)
        wall[name].append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu[name].append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
base = statistics.median(wall["fit --all --stats"])
for name in commands:
    print(f"{name:20s} wall {statistics.median(wall[name]):6.3f} s  CPU {statistics.median(cpu[name]):6.3f} s"
          f"  ({statistics.median(wall[name]) / base:.2f} times fit --all --stats)")
EOF
awk 'BEGIN { srand(5); for (k = 0; k < 13000000; k++) printf "%.4f %.5g\n", k * 0.0001, 3 + 0.25 * k * 0.0001 + rand() }' \
  >"$work/lines-13000000.txt"
echo "=== degrees --all --up-to 3, 1.3e7 lines"
/usr/bin/time -f "%e s wall, %U s user, %M KB peak" build/native/tools/plorimet degrees --all "$work/lines-13000000.txt" --up-to 3 >/dev/null
rm -f "$work/lines-13000000.txt"
