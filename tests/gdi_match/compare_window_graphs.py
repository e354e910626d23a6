#!/usr/bin/env python3
"""The window's Save Graph files against `plorimet graph` for the same data and settings.

Two end-to-end scenarios save the window's pictures:
  - "graph" draws the four pairs below with eight choices of the settings dialog and saves
    each picture as graph-<name>.bmp in <shots>/<run>/graph-files;
  - "graph-matrix" reads several data files through Read Data, draws each with a few
    degrees and settings and saves the pictures, the data files and manifest.txt (one line
    per picture: DATA DEGREE LINE DOT SIZE SCALE BMP, DEGREE "-" for none) in
    <shots>/<run>/graph-matrix.
This script makes the same pictures with the command-line tool and compares them pixel by
pixel:

  - frame, marks, grid and dots must be identical (any difference on the frame's rows and
    columns, on a tick's or grid line's pixels, or in a red pixel fails);
  - every other black pixel of either picture must lie within one pixel of a black pixel of
    the other (the curve's tolerance);
  - the share of identical pixels is reported (the aim is 100 %).

Runs whose pictures have another size (a desktop with other font metrics, such as the
Japanese one) are reported and skipped: the tool draws for the standard desktop.

    compare_window_graphs.py SHOTS_DIR TOOL [TOOL_ARGS...]
e.g. compare_window_graphs.py build/win/screenshots build/native/tools/plorimet
     compare_window_graphs.py build/win/screenshots wine build/win/tools/plorimet.exe
"""
import os
from fractions import Fraction
import subprocess
import sys
import tempfile

try:
    from PIL import Image
except ImportError:  # a python3 without Pillow ahead on PATH; Debian's has python3-pil
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

# The pairs and choices of the end-to-end scenario "graph" (tests/e2e/scenarios_graph.cpp):
# name -> (line width, dot size, graph size, scale).
PAIRS = [("1", "2"), ("2", "5"), ("3", "4"), ("4", "8")]
CHOICES = {
    "50-grid": (1, 5, 50, "grid"),
    "100-grid": (5, 13, 100, "grid"),
    "50-ticks": (1, 5, 50, "ticks"),
    "70-none": (5, 13, 70, "none"),
    "100-ticks": (1, 13, 100, "ticks"),
    "50-none-13": (5, 13, 50, "none"),
    "100-none": (1, 5, 100, "none"),
    "70-ticks": (3, 9, 70, "ticks"),
}
BLACK, RED = (0, 0, 0), (255, 0, 0)
SIZES = {100: (0, 1.0), 70: (1, 0.7), 50: (2, 0.5)}  # size -> (dialog index, factor)


def mark_pixels(w, h, size, scale):
    """The pixels of the ticks or grid lines in a saved picture (the frame at rows and columns
    1 and w-2, h-2): where the program puts them for this size and scale, worked out with
    exact fractions of the factor (the program computes in long double)."""
    index, factor = SIZES[size]
    if scale == "none":
        return set()
    n = {"ticks": (20, 14, 10), "grid": (10, 7, 5)}[scale][index]
    f = Fraction(factor)  # the double's exact value
    margin = int(10 * f)
    dy = (Fraction(h - 3) - 20 * f) / n
    columns = [1 + margin + (25 if scale == "ticks" else 50) * i for i in range(n + 1)]
    rows = [1 + margin + int(i * dy) for i in range(n + 1)]
    pixels = set()
    for x in columns:
        pixels.update((x, y) for y in (range(h - 7, h - 2) if scale == "ticks" else range(1, h - 2)))
    for y in rows:
        pixels.update((x, y) for x in (range(2, 7) if scale == "ticks" else range(1, w - 2)))
    return {(x, y) for x, y in pixels if 0 <= x < w and 0 <= y < h}


def compare(window, tool, size, scale):
    """Returns (identical pixels, all pixels, list of rule failures)."""
    w, h = window.size
    a, b = window.load(), tool.load()
    same = sum(1 for y in range(h) for x in range(w) if a[x, y] == b[x, y])
    failures = []
    marks = mark_pixels(w, h, size, scale)
    frame = lambda x, y: x in (1, w - 2) or y in (1, h - 2)

    def near_black(img, x, y):
        return any(img[i, j] == BLACK for i in range(max(0, x - 1), min(w, x + 2))
                   for j in range(max(0, y - 1), min(h, y + 2)))

    for y in range(h):
        for x in range(w):
            p, q = a[x, y], b[x, y]
            if p == q:
                continue
            where = "(%d,%d) window %s tool %s" % (x, y, p, q)
            if RED in (p, q):
                failures.append("dot pixel " + where)
            elif frame(x, y):
                failures.append("frame pixel " + where)
            elif (x, y) in marks:
                failures.append("mark pixel " + where)
            elif p == BLACK and not near_black(b, x, y) or q == BLACK and not near_black(a, x, y):
                failures.append("curve pixel farther than one pixel " + where)
    return same, w * h, failures


def pictures(shots, run, four):
    """(source, name, saved BMP, data file, degree or None, line, dot, size, scale) of a run,
    and the rule failures found in its manifest."""
    found, failures = [], []
    if os.path.isdir(os.path.join(shots, run, "graph-files")):
        for name, (line, dot, size, scale) in CHOICES.items():
            saved = os.path.join(shots, run, "graph-files", "graph-%s.bmp" % name)
            found.append(("graph", name, saved, four, None, line, dot, size, scale))
    folder = os.path.join(shots, run, "graph-matrix")
    if os.path.isdir(folder):
        manifest = os.path.join(folder, "manifest.txt")
        lines = open(manifest).read().split("\n") if os.path.exists(manifest) else []
        if not any(lines):
            failures.append("%s/graph-matrix: no manifest.txt, or an empty one" % run)
        for line in filter(None, lines):
            fields = line.split()
            if len(fields) != 7 or fields[5] not in ("none", "ticks", "grid") or int(fields[4]) not in SIZES:
                failures.append("%s/graph-matrix: manifest line %r" % (run, line))
                continue
            data, degree, width, dot, size, scale, bmp = fields
            found.append(("graph-matrix", bmp[:-4], os.path.join(folder, bmp), os.path.join(folder, data),
                          None if degree == "-" else int(degree), int(width), int(dot), int(size), scale))
    return found, failures


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    shots, tool = sys.argv[1], sys.argv[2:]
    runs = sorted(d for d in os.listdir(shots)
                  if any(os.path.isdir(os.path.join(shots, d, s)) for s in ("graph-files", "graph-matrix")))
    if not runs:
        sys.exit("FAIL no saved graphs under %s" % shots)
    totals = {}  # source -> [identical pixels, all pixels, pictures]
    drawn_for = {}  # (data bytes, options) -> the tool's picture: each run asks for the same ones
    failed = False
    with tempfile.TemporaryDirectory() as work:
        four = os.path.join(work, "four.txt")
        with open(four, "wb") as f:
            f.write(b"".join(b"%s,%s\r\n" % (x.encode(), y.encode()) for x, y in PAIRS))
        for run in runs:
            found, failures = pictures(shots, run, four)
            for failure in failures:
                print("FAIL " + failure)
                failed = True
            for source, name, saved, data, degree, line, dot, size, scale in found:
                label = "%s/%s/%s" % (run, source, name)
                if not os.path.exists(saved):
                    print("FAIL %s: not saved by the window" % label)
                    failed = True
                    continue
                options = (["--degree", str(degree)] if degree else []) + [
                    "--line", str(line), "--dot", str(dot), "--size", str(size), "--scale", scale]
                with open(data, "rb") as f:
                    key = (f.read(), tuple(options))
                if key not in drawn_for:
                    out = os.path.join(work, "%d.bmp" % len(drawn_for))
                    result = subprocess.run(tool + ["graph", data] + options + ["--out", out],
                                            capture_output=True, text=True)
                    if result.returncode != 0:
                        print("FAIL %s: the tool failed: %s" % (label, result.stderr.strip()))
                        failed = True
                        continue
                    drawn_for[key] = Image.open(out).convert("RGB")
                window = Image.open(saved).convert("RGB")
                drawn = drawn_for[key]
                if window.size != drawn.size:
                    print("skip %s: the window's picture is %dx%d, the standard desktop's %dx%d"
                          % (label, window.size[0], window.size[1], drawn.size[0], drawn.size[1]))
                    continue
                same, pixels, failures = compare(window, drawn, size, scale)
                total = totals.setdefault(source, [0, 0, 0])
                total[0] += same
                total[1] += pixels
                total[2] += 1
                status = "FAIL" if failures else "ok"
                failed = failed or bool(failures)
                print("%s %s: %d of %d pixels identical (%.4f %%)%s"
                      % (status, label, same, pixels, 100.0 * same / pixels,
                         "; " + "; ".join(failures[:5]) if failures else ""))
    if not totals:
        sys.exit("FAIL nothing compared")
    for source, (same, pixels, count) in sorted(totals.items()) + [
            ("all", [sum(t[i] for t in totals.values()) for i in range(3)])]:
        print("%s: %d pictures compared, %d of %d pixels identical (%.4f %%)"
              % (source, count, same, pixels, 100.0 * same / pixels))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
