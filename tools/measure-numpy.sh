#!/usr/bin/env bash
# plorimet's exact fit against numpy's inexact one on the same file of 10^6 lines, in one run:
# `plorimet fit --all FILE --degree 10` (the whole process: reading, both fits, the equation)
# against numpy's loadtxt and polyfit (their own time inside Python, without its start), taking
# turns so that the load of a shared machine falls on both alike; median of RUNS (default 5).
# numpy is Debian's python3-numpy, as it comes (its BLAS on every core) and held to one thread.
#   RUNS     turns of each (default 5)
#   BEFORE   another plorimet program (an earlier build) to take its turn too
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j2 --target plorimet >/dev/null

work=build/measure
mkdir -p "$work"
file=$work/lines-1000000.txt
# Time in seconds with milliseconds over 1000 s, and a measurement of five digits.
awk 'BEGIN { srand(8); for (k = 0; k < 1000000; k++) printf "%.3f %.5g\n", k * 0.001, 1 + rand() }' >"$file"

/usr/bin/python3 - "$file" "${RUNS:-5}" "${BEFORE:-}" <<'EOF'
import os, statistics, subprocess, sys, time

path, runs, before = sys.argv[1], int(sys.argv[2]), sys.argv[3]
numpy_pair = (
    "import sys, time, numpy\n"
    "start = time.perf_counter()\n"
    "data = numpy.loadtxt(sys.argv[1])\n"
    "numpy.polyfit(data[:, 0], data[:, 1], 10)\n"
    "print(time.perf_counter() - start)\n"
)

def plorimet(program="build/native/tools/plorimet"):
    start = time.perf_counter()
    subprocess.run([program, "fit", "--all", path, "--degree", "10"],
                   check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start

def numpy(threads=None):
    env = dict(os.environ)
    if threads:
        env["OPENBLAS_NUM_THREADS"] = env["OMP_NUM_THREADS"] = str(threads)
    out = subprocess.run(["/usr/bin/python3", "-c", numpy_pair, path], check=True, env=env,
                         capture_output=True, text=True).stdout
    return float(out)

times = {"plorimet": [], "numpy": [], "numpy, one thread": []}
if before:
    times["plorimet before"] = []
for _ in range(runs):
    times["plorimet"].append(plorimet())
    if before:
        times["plorimet before"].append(plorimet(before))
    times["numpy"].append(numpy())
    times["numpy, one thread"].append(numpy(threads=1))
median = {name: statistics.median(values) for name, values in times.items()}
for name, values in times.items():
    print(f"{name:18s} median {median[name]:.3f} s   runs: " + " ".join(f"{v:.3f}" for v in values))
print(f"numpy / plorimet: {median['numpy'] / median['plorimet']:.2f} "
      f"(one thread: {median['numpy, one thread'] / median['plorimet']:.2f}); load average {os.getloadavg()[0]:.1f}")
EOF
rm -f "$file"
