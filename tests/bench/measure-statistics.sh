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
echo "=== fit --all, 100,000 pairs, degree 10"
for run in 1 2 3; do
  for extra in "" --stats --json; do
    /usr/bin/time -f "fit --all ${extra:-(alone)} (run $run): %e s (CPU %U s user)" \
      build/native/tools/plorimet fit --all "$work/pairs-100000.txt" --degree 10 $extra >/dev/null
  done
done
