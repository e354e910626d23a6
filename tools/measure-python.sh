#!/usr/bin/env bash
# The Python module measured (never a test): plorimet.polyfit against numpy.polyfit on 10^6
# points of degree 10 (in turns, median of RUNS); plorimet.dask.fit of 10^7 points on a local
# cluster of two worker processes against plorimet.fit of the same points in memory; and the
# time `import plorimet` takes in a fresh Debian Python. numpy runs with OPENBLAS_CORETYPE and
# OPENBLAS_L2_SIZE unset in this command only (they may slow it on this kind of machine).
#   RUNS     turns of each (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DPLORIMET_PYTHON=ON >/dev/null
cmake --build build/native -j2 --target plorimet_python >/dev/null
export PYTHONPATH="$PWD/build/native/python"
env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE /usr/bin/python3 tools/measure_python.py "${RUNS:-5}"
