#!/usr/bin/env python3
"""The window's Save Graph files against `plorimet graph` for the same pairs and settings.

The end-to-end graph scenario draws the four pairs below with eight choices of the settings
dialog and saves each picture as graph-<name>.bmp in <shots>/<run>/graph-files. This script
makes the same pictures with the command-line tool and compares them pixel by pixel:

  - frame, marks, grid and dots must be identical (any difference on the frame's rows and
    columns, on a mark's position, or in a red pixel fails);
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


def compare(window, tool):
    """Returns (identical pixels, all pixels, list of rule failures)."""
    w, h = window.size
    a, b = window.load(), tool.load()
    same = sum(1 for y in range(h) for x in range(w) if a[x, y] == b[x, y])
    failures = []
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
            elif p == BLACK and not near_black(b, x, y) or q == BLACK and not near_black(a, x, y):
                failures.append("curve pixel farther than one pixel " + where)
    return same, w * h, failures


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    shots, tool = sys.argv[1], sys.argv[2:]
    runs = sorted(d for d in os.listdir(shots) if os.path.isdir(os.path.join(shots, d, "graph-files")))
    if not runs:
        sys.exit("FAIL no saved graphs under %s" % shots)
    total_same = total = compared = 0
    failed = False
    with tempfile.TemporaryDirectory() as work:
        data = os.path.join(work, "four.txt")
        with open(data, "wb") as f:
            f.write(b"".join(b"%s,%s\r\n" % (x.encode(), y.encode()) for x, y in PAIRS))
        for run in runs:
            for name, (line, dot, size, scale) in CHOICES.items():
                saved = os.path.join(shots, run, "graph-files", "graph-%s.bmp" % name)
                if not os.path.exists(saved):
                    print("FAIL %s/%s: not saved by the window" % (run, name))
                    failed = True
                    continue
                out = os.path.join(work, "%s-%s.bmp" % (run, name))
                command = tool + ["graph", data, "--line", str(line), "--dot", str(dot), "--size", str(size),
                                  "--scale", scale, "--out", out]
                result = subprocess.run(command, capture_output=True, text=True)
                if result.returncode != 0:
                    print("FAIL %s/%s: the tool failed: %s" % (run, name, result.stderr.strip()))
                    failed = True
                    continue
                window = Image.open(saved).convert("RGB")
                drawn = Image.open(out).convert("RGB")
                if window.size != drawn.size:
                    print("skip %s/%s: the window's picture is %dx%d, the standard desktop's %dx%d"
                          % (run, name, window.size[0], window.size[1], drawn.size[0], drawn.size[1]))
                    continue
                same, pixels, failures = compare(window, drawn)
                total_same += same
                total += pixels
                compared += 1
                status = "FAIL" if failures else "ok"
                failed = failed or bool(failures)
                print("%s %s/%s: %d of %d pixels identical (%.4f %%)%s"
                      % (status, run, name, same, pixels, 100.0 * same / pixels,
                         "; " + "; ".join(failures[:5]) if failures else ""))
    if not compared:
        sys.exit("FAIL nothing compared")
    print("%d pictures compared: %d of %d pixels identical (%.4f %%)"
          % (compared, total_same, total, 100.0 * total_same / total))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
