#!/usr/bin/env bash
# Figures of the fit for the README's table: the fit against the exact rational reference over
# generated ill-conditioned sets and NIST's reference sets, Analysis times, and fit --all on
# 100,000 pairs at degree 10 and on a file of 10^7 lines (time and peak memory).
#   CASES   generated sets checked against the reference (default 1000)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j2 --target fit_check core_bench plorimet >/dev/null

echo "=== Exact reference and NIST"
build/native/tests/bench/fit_check "${CASES:-1000}"

echo "=== Analysis of 45 pairs (core_bench)"
build/native/tests/bench/core_bench --benchmark_filter='Analysis' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'median'
echo "=== The exact sums of 10^6 points, each way of taking several at once (core_bench)"
build/native/tests/bench/core_bench --benchmark_filter='PowerSums' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'median'

work=build/measure
mkdir -p "$work"
awk 'BEGIN { srand(7); for (k = 0; k < 100000; k++) printf "%.2f %.6g\r\n", k * 0.01, 3 + 0.5 * k * 0.01 + rand() }' \
  >"$work/pairs-100000.txt"
awk 'BEGIN { srand(8); for (k = 0; k < 10000000; k++) printf "%.3f %.5g\r\n", k * 0.001, 1 + rand() }' \
  >"$work/lines-10000000.txt"
measure() {  # label, arguments
  local label=$1
  shift
  /usr/bin/time -f "$label: %e s (CPU %U s user, %S s system), peak memory %M KB" build/native/tools/plorimet fit --all "$@" >/dev/null
}
echo "=== fit --all"
for run in 1 2 3; do measure "100,000 pairs, degree 10 (run $run)" "$work/pairs-100000.txt" --degree 10; done
measure "10^7 lines, 10^7 pairs, degree 10" "$work/lines-10000000.txt" --degree 10
{ head -c 10000000 /dev/zero | tr '\0' '\n'; cat "$work/pairs-100000.txt"; } >"$work/blank-10000000.txt"
measure "10^7 empty lines and 100,000 pairs, degree 10" "$work/blank-10000000.txt" --degree 10
rm -f "$work"/*.txt
