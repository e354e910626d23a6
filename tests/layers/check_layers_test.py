#!/usr/bin/env python3
"""The build's include check (tools/check_layers.py) passes the tree and refuses every kind of
violation planted in a copy of it: an include of a higher room or of a peer, quoted, angle or
relative, from src, web or python; a Win32 file in a portable room; a cycle of includes between
files; a list of layers that names a room twice.

    check_layers_test.py SOURCE_DIR
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(sys.argv[1]).resolve()
CHECK = ROOT / 'tools' / 'check_layers.py'
COPIED = ('src', 'resources', 'web', 'tools', 'cmake')

# (what is planted: file -> lines added at its end, the refusal it must bring)
PLANTED = [
    ({'src/graph/graph_plan.h': '#include "model/commands.h"'}, 'graph must not include model/commands.h'),
    ({'src/model/dialogs.h': '#include <win/dialog_win.h>'}, 'model must not include win/dialog_win.h'),
    ({'src/data/cell_rule.h': '#include "graph/pixel_real.h"'}, '(graph is a peer of data)'),
    ({'src/base/text.h': '#include "../fit/data_set.h"'}, 'base must not include ../fit/data_set.h'),
    ({'web/bindings.cpp': '#include "app/grid_win.h"'}, 'web must not include app/grid_win.h'),
    ({'python/module.cpp': '#include "win/dialog_win.h"\n#include "app/window_state_win.h"'},
     'python must not include app/window_state_win.h'),
    ({'src/fit/fit_dialog_win.cpp': '#include "win/dialog_win.h"'}, 'a Win32 file in the portable room fit'),
    ({'src/base/ring_a.h': '#include "base/ring_b.h"', 'src/base/ring_b.h': '#include "ring_a.h"'},
     'include cycle: src/base/ring_a.h -> src/base/ring_b.h -> src/base/ring_a.h'),
    ({'src/extra/x.h': ''}, 'the room extra is not in layers.txt'),
    ({'cmake/layers.txt': 'base'}, 'room base is listed twice'),
]


def run(root):
    return subprocess.run([sys.executable, str(CHECK), '--root', str(root)], capture_output=True, text=True)


def main():
    failures = 0
    result = run(ROOT)
    if result.returncode != 0:
        print(f'FAIL the tree itself is refused:\n{result.stderr}{result.stdout}')
        failures += 1
    for planted, refusal in PLANTED:
        with tempfile.TemporaryDirectory() as temp:
            copy = pathlib.Path(temp)
            for folder in COPIED:
                shutil.copytree(ROOT / folder, copy / folder, ignore=shutil.ignore_patterns('node_modules', '__pycache__'))
            for name, lines in planted.items():
                path = copy / name
                path.parent.mkdir(parents=True, exist_ok=True)
                with path.open('a', encoding='utf-8') as file:
                    file.write('\n' + lines + '\n')
            result = run(copy)
            said = result.stderr + result.stdout
            if result.returncode == 0 or refusal not in said:
                print(f'FAIL {", ".join(planted)}: wanted a refusal with "{refusal}", got exit {result.returncode}:\n{said}')
                failures += 1
            else:
                print(f'ok {", ".join(planted)}: {refusal}')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
