#!/usr/bin/env bash
# Figures of the statistics for the README's table: their cost after a fit of 45 pairs,
# `plorimet degrees` on 45 pairs, and fit --all on 100,000 pairs at degree 10 with the
# statistics against the fit alone (runs taking turns). NIST's digits: tests/cli/nist_check.py.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j2 --target core_bench plorimet >/dev/null

echo "=== Statistics and degrees of 45 pairs (core_bench)"
build/native/tests/bench/core_bench --benchmark_filter='Statistics|Degrees' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'median'

echo "=== NIST through fit --all --json"
python3 tests/cli/nist_check.py build/native/tools/plorimet tests/data/nist

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk 'BEGIN { srand(7); for (k = 0; k < 100000; k++) printf "%.2f %.6g\r\n", k * 0.01, 3 + 0.5 * k * 0.01 + rand() }' \
  >"$work/pairs-100000.txt"
echo "=== fit --all, 100,000 pairs, degree 10: medians of 15 runs taking turns"
python3 - build/native/tools/plorimet "$work/pairs-100000.txt" <<'EOF'
import statistics, subprocess, sys, time
program, path = sys.argv[1], sys.argv[2]
times = {"(alone)": [], "--stats": [], "--json": []}
for _ in range(15):
    for extra in times:
        args = [program, "fit", "--all", path, "--degree", "10"] + ([] if extra == "(alone)" else [extra])
        start = time.perf_counter()
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
        times[extra].append(time.perf_counter() - start)
alone = statistics.median(times["(alone)"])
for extra, values in times.items():
    print(f"fit --all {extra:8s} {statistics.median(values) * 1000:6.1f} ms  ({statistics.median(values) / alone:.2f} times the fit alone)")
EOF
