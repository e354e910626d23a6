#!/usr/bin/python3
"""`plorimet plot` end to end: the band's ends are `plorimet eval --interval`'s at the same X, and
they lie where the plot's own numbered Y axis puts them; the PNG is the plot at twice its units;
what the plot refuses. usage: plot_check.py PLORIMET EXAMPLES_DIR"""
import pathlib
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

TOOL, EXAMPLES = sys.argv[1], pathlib.Path(sys.argv[2])
SVG = '{http://www.w3.org/2000/svg}'
failures = []


def check(name, ok, detail=''):
    if not ok:
        failures.append(name)
        print(f'FAIL {name}: {detail}')


def run(*args):
    return subprocess.run([TOOL, *map(str, args)], capture_output=True, text=True)


def groups(svg_path):
    root = ET.parse(svg_path).getroot()
    return {g.get('aria-label'): g for g in root.iter(SVG + 'g') if g.get('aria-label')}


def y_axis_map(axis):
    """Value to picture y from the axis's ticks (each a short line at a numbered height)."""
    ticks = [line for line in axis.iter(SVG + 'polyline')][1:]  # the axis line first, then one per tick
    labels = [float(t.text) for t in list(axis.iter(SVG + 'text'))[:len(ticks)]]
    ys = [float(t.get('points').split()[0].split(',')[1]) for t in ticks]
    (v0, y0), (v1, y1) = (labels[0], ys[0]), (labels[-1], ys[-1])
    return lambda v: y0 + (v - v0) * (y1 - y0) / (v1 - v0)


def band_against_eval(title, data, fit_args, band, names):
    with tempfile.TemporaryDirectory() as work:
        out = pathlib.Path(work) / 'plot.svg'
        done = run('plot', data, *fit_args, '--band', band, '--out', out)
        check(f'{title}: written', done.returncode == 0, done.stderr)
        if done.returncode:
            return
        parts = groups(out)
        g = parts.get(names[band])
        check(f'{title}: band named', g is not None, sorted(parts))
        if g is None:
            return
        xs, lows, highs = (g.get(a).split() for a in ('data-x', 'data-low', 'data-high'))
        check(f'{title}: 101 X from the first point to the last', len(xs) == 101, len(xs))
        evaluated = run('eval', data, *fit_args, '--interval', '--at', *xs)
        rows = [line.split('\t') for line in evaluated.stdout.splitlines()[1:]]
        ends = (2, 3) if band == 'confidence' else (4, 5)
        same = all(float(r[0]) == float(x) and float(r[ends[0]]) == float(lo) and float(r[ends[1]]) == float(hi)
                   for r, x, lo, hi in zip(rows, xs, lows, highs)) and len(rows) == len(xs)
        check(f'{title}: every end is eval --interval\'s', same, evaluated.stderr or rows[:2])
        # The outline: the upper ends left to right, then the lower ones back, at the Y axis's heights.
        to_y = y_axis_map(parts[names['y']])
        outline = [tuple(map(float, p.split(','))) for p in g.find(SVG + 'polygon').get('points').split()]
        top, bottom = min(to_y(float(v)) for v in highs), max(to_y(float(v)) for v in lows)
        check(f'{title}: the outline where the axis puts the ends',
              abs(outline[0][1] - to_y(float(highs[0]))) < 0.02 and abs(outline[-1][1] - to_y(float(lows[0]))) < 0.02,
              (outline[0], to_y(float(highs[0])), top, bottom))


NAMES = {'confidence': '95% confidence band', 'prediction': '95% prediction band', 'y': 'Y axis'}
band_against_eval('sample, degree 2, confidence', EXAMPLES / 'sample.txt', ['--degree', '2'], 'confidence', NAMES)
band_against_eval('wave, degree 5, prediction', EXAMPLES / 'wave.txt', ['--degree', '5'], 'prediction', NAMES)

with tempfile.TemporaryDirectory() as work:
    work = pathlib.Path(work)
    # Repeated X with --all: replicate measurements, the band of every observation.
    replicated = work / 'replicated.txt'
    replicated.write_text(''.join(f'{x} {y}\n' for x, y in
                                  [(1, 2.0), (1, 2.4), (2, 3.1), (3, 6.3), (3, 5.9), (4, 7.7), (5, 10.2), (6, 11.6)]))
    band_against_eval('--all with repeated X', replicated, ['--all', '--degree', '2'], 'confidence', NAMES)

    png = work / 'plot.png'
    done = run('plot', EXAMPLES / 'sample.txt', '--degree', '2', '--residuals', '--lang', 'ja', '--out', png)
    head = png.read_bytes()[:24] if png.exists() else b''
    check('PNG written', done.returncode == 0 and head[:8] == b'\x89PNG\r\n\x1a\n', done.stderr)
    if len(head) == 24:
        width, height = struct.unpack('>II', head[16:24])
        check('PNG at twice the plot\'s 640 units', width == 1280 and height > 2 * 400, (width, height))

    svg = work / 'two.svg'
    run('plot', EXAMPLES / 'two_pairs.txt', '--out', svg)
    texts = [t.text for t in ET.parse(svg).getroot().iter(SVG + 'text')]
    check('a line through two pairs: no band, and why', '95% confidence band' not in groups(svg) and any(
        'no residual degrees of freedom' in (t or '') for t in texts), texts[-3:])

    # Values at the end of a double's range, and beyond it: the program's message, no picture.
    for name, text, message in [('near the largest double', '0 1.7e308\n1 1.0e308\n2 1.7e308\n3 1.0e308\n',
                                 'Too large term value!'),
                                ('beyond a double', '0 1\n1 1e400\n2 3\n',
                                 'plorimet: line 2: a value beyond the range of a double')]:
        data = work / 'huge.txt'
        data.write_text(text)
        done = run('plot', data, '--all', '--degree', '1', '--band', 'prediction', '--out', work / 'huge.svg')
        check(f'{name}: the message, no file', done.returncode == 1 and done.stderr.strip() == message
              and not (work / 'huge.svg').exists(), (done.returncode, done.stderr))
    done = run('plot', EXAMPLES / 'sample.txt', '--out', work / 'plot.bmp')
    check('a plot is SVG or PNG', done.returncode == 2 and '--out takes a .svg or .png name' in done.stderr, done.stderr)

print(f'{"FAILED" if failures else "passed"}: {len(failures)} failures')
sys.exit(1 if failures else 0)
