"""The figures of tools/measure-python.sh (a file, not standard input: Dask's worker processes
import the main module again)."""
import os
import statistics
import subprocess
import sys
import time

import numpy as np


def timed(fn):
    start = time.perf_counter()
    fn()
    return time.perf_counter() - start


def polyfit_against_numpy(runs):
    import plorimet
    rng = np.random.default_rng(8)
    x = np.arange(10 ** 6) * 0.001
    y = 1 + rng.random(10 ** 6)
    times = {"plorimet.polyfit": [], "numpy.polyfit": []}
    for _ in range(runs):
        times["plorimet.polyfit"].append(timed(lambda: plorimet.polyfit(x, y, 10)))
        times["numpy.polyfit"].append(timed(lambda: np.polyfit(x, y, 10)))
    return times


def dask_against_memory(runs):
    import dask.array as da
    import distributed
    import plorimet
    import plorimet.dask
    rng = np.random.default_rng(9)
    n = 10 ** 7
    x = np.round(rng.uniform(-5, 5, n), 4)
    y = np.sin(x) + rng.normal(0, 0.1, n)
    times = {"plorimet.fit, 10^7 in memory": [], "plorimet.dask.fit, 10^7, 2 workers": []}
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        # The points on the workers before the clock starts, as a data set of that size would be.
        dx = client.persist(da.from_array(x, chunks=n // 8))
        dy = client.persist(da.from_array(y, chunks=n // 8))
        distributed.wait([dx, dy])
        for _ in range(runs):
            times["plorimet.fit, 10^7 in memory"].append(timed(lambda: plorimet.fit(x, y, 5)))
            times["plorimet.dask.fit, 10^7, 2 workers"].append(timed(lambda: plorimet.dask.fit(dx, dy, 5)))
    return times


def import_time(runs):
    code = "import time; s = time.perf_counter(); import plorimet; print(time.perf_counter() - s)"
    out = [float(subprocess.run([sys.executable, "-c", code], check=True, capture_output=True, text=True).stdout)
           for _ in range(runs)]
    return {"import plorimet": out}


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    times = {}
    for part in (polyfit_against_numpy, dask_against_memory, import_time):
        times.update(part(runs))
    median = {name: statistics.median(values) for name, values in times.items()}
    for name, values in times.items():
        print(f"{name:36s} median {median[name]:.3f} s   runs: " + " ".join(f"{v:.3f}" for v in values))
    print(f"numpy.polyfit / plorimet.polyfit: {median['numpy.polyfit'] / median['plorimet.polyfit']:.2f}")
    print("dask / in memory: {:.2f}".format(median["plorimet.dask.fit, 10^7, 2 workers"] /
                                            median["plorimet.fit, 10^7 in memory"]))
    print(f"load average {os.getloadavg()[0]:.1f}")


if __name__ == "__main__":
    main()
