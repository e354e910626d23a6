#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each, one after the other, and prints each one's
# executions and rate. Each target starts from its corpus kept in the repository
# (tests/fuzz/corpus/NAME) and grows a working copy in build/fuzz/corpus-NAME.
#   tools/fuzz.sh [--keep] [--runs N] SECONDS
#   --keep   merge the inputs that reached new code back into the repository's corpus
#            (minimised by libFuzzer), to be committed after a long run
#   --runs N stop a target after N executions if that comes before SECONDS
# FUZZ_UNIT_SECONDS (default 1): the time one input may take before it is a finding. On a
# machine loaded far beyond its cores a larger value keeps waiting for the processor from
# counting as a finding; the slowest input's time is printed either way.
set -euo pipefail
cd "$(dirname "$0")/.."

keep=0
runs=()
while [ $# -gt 1 ]; do
  case "$1" in
    --keep) keep=1; shift ;;
    --runs) runs=(-runs="$2"); shift 2 ;;
    *) break ;;
  esac
done
seconds=${1:?usage: tools/fuzz.sh [--keep] [--runs N] SECONDS}
unit_seconds=${FUZZ_UNIT_SECONDS:-1}

# Fuzz target (tests/fuzz/TARGET_fuzz.cpp) and its corpus folder under tests/fuzz/corpus.
# Every target listed in tests/fuzz/CMakeLists.txt belongs here too.
targets=(
  data_file:data      # Read Data and `plorimet read`: any bytes as a data file
  sheet_text:sheet    # Paste Data and `plorimet paste`: any bytes as clipboard text
  all_pairs:all       # `plorimet fit --all`: any bytes as a file of pairs
)

names=()
for target in "${targets[@]}"; do names+=("${target%%:*}_fuzz"); done
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLORIMET_FUZZ=ON \
  -DPLORIMET_BENCH=OFF -DPLORIMET_PYTHON=OFF >/dev/null
nice cmake --build "$build" -j2 --target "${names[@]}"

for target in "${targets[@]}"; do
  name=${target%%:*}
  seeds=tests/fuzz/corpus/${target##*:}
  corpus=build/fuzz/corpus-${target##*:}
  log=build/fuzz/${name}.log
  mkdir -p "$corpus"
  cp -n "$seeds"/* "$corpus"/
  # A unit taking over a second, or over 2 GB, is a finding like a crash.
  nice "$build"/tests/fuzz/${name}_fuzz -max_total_time="$seconds" "${runs[@]}" -timeout="$unit_seconds" -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build/fuzz/${name}- "$corpus" 2>"$log" \
    || { tail -40 "$log"; echo "$name: FINDING, see $log and build/fuzz/${name}-*"; exit 1; }
  stat() { sed -n "s/^stat::$1: *//p" "$log"; }
  echo "$name: $(stat number_of_executed_units) executions in $seconds s ($(stat average_exec_per_sec) per second)," \
    "$(stat new_units_added) new inputs, corpus of $(ls "$corpus" | wc -l), peak memory $(stat peak_rss_mb) MB," \
    "slowest input $(stat slowest_unit_time_sec) s"
  if [ "$keep" -eq 1 ]; then
    "$build"/tests/fuzz/${name}_fuzz -merge=1 "$seeds" "$corpus" 2>>"$log" >/dev/null
    echo "$name: repository corpus now $(ls "$seeds" | wc -l) inputs"
  fi
done
