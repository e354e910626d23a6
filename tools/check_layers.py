#!/usr/bin/env python3
"""Checks the includes of the program's code against its layers (cmake/layers.txt).

Every quoted and angle include of the C and C++ files under src, resources, web, tools and
python is resolved as the compiler would find it (next to the including file for a quoted one,
then under src, resources, tools, web and python); includes of other headers (the system's,
libraries') are not the program's and pass. Refused: an include of a room on the same line of
the list (a peer) or below; a file of the program that the list does not place; a Win32 file
(*_win.*) in a portable room; and any cycle of includes between files.

    check_layers.py [--root DIR] [--layers FILE] [--stamp FILE]

Prints one line per refusal and exits 1; exits 0 (touching the stamp file) when all is well.
"""
import argparse
import pathlib
import re
import sys

FOLDERS = ('src', 'resources', 'web', 'tools', 'python')
INCLUDE_ROOTS = ('src', 'resources', 'tools', 'web', 'python')
SOURCE_SUFFIXES = {'.c', '.cc', '.cpp', '.cxx', '.h', '.hh', '.hpp', '.rc'}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
WIN32_FILE = re.compile(r'_win\.[a-z]+$')


def read_layers(path):
    """Room -> (level, portable), from the list's lines, lowest first."""
    rooms = {}
    level = 0
    for number, line in enumerate(path.read_text(encoding='utf-8').splitlines(), 1):
        words = line.split('#', 1)[0].split()
        if not words:
            continue
        portable = words[0] == 'portable'
        names = words[1:] if portable else words
        if not names:
            raise SystemExit(f'{path}:{number}: a layer without rooms')
        for name in names:
            if name in rooms:
                raise SystemExit(f'{path}:{number}: room {name} is listed twice')
            rooms[name] = (level, portable)
        level += 1
    return rooms


def room_of(root, file):
    parts = file.relative_to(root).parts
    if parts[0] == 'src':
        return parts[1] if len(parts) > 2 else None
    return parts[0]


def resolve(root, file, quote, name):
    """The program's file an include names, or None for a header of the system or a library."""
    bases = ([file.parent] if quote == '"' else []) + [root / folder for folder in INCLUDE_ROOTS]
    for base in bases:
        candidate = (base / name).resolve()
        if candidate.is_file() and root in candidate.parents:
            return candidate
    return None


def program_files(root):
    for folder in FOLDERS:
        base = root / folder
        if base.is_dir():
            yield from sorted(f.resolve() for f in base.rglob('*') if f.suffix in SOURCE_SUFFIXES and f.is_file())


def find_cycles(edges):
    """The include cycles, each once, as lists of files (depth-first search, iterative)."""
    cycles, state = [], {}
    for start in edges:
        if start in state:
            continue
        stack = [(start, iter(edges[start]))]
        path = [start]
        state[start] = 'open'
        while stack:
            node, targets = stack[-1]
            for target in targets:
                if state.get(target) == 'open':
                    cycles.append(path[path.index(target):] + [target])
                elif target not in state:
                    state[target] = 'open'
                    stack.append((target, iter(edges.get(target, ()))))
                    path.append(target)
                    break
            else:
                state[node] = 'done'
                stack.pop()
                path.pop()
    return cycles


def check(root, layers):
    rooms = read_layers(layers)
    refusals = []
    edges = {}
    for file in program_files(root):
        shown = file.relative_to(root)
        room = room_of(root, file)
        if room not in rooms:
            refusals.append(f'{shown}: the room {room} is not in {layers.name}')
            continue
        level, portable = rooms[room]
        if portable and WIN32_FILE.search(file.name):
            refusals.append(f'{shown}: a Win32 file in the portable room {room}')
        edges[file] = []
        for number, line in enumerate(file.read_text(encoding='utf-8', errors='replace').splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = resolve(root, file, match.group(1), match.group(2))
            if target is None:
                continue
            edges[file].append(target)
            target_room = room_of(root, target)
            if target_room == room:
                continue
            if target_room not in rooms:
                refusals.append(f'{shown}:{number}: includes {match.group(2)} of the room {target_room}, '
                                f'which is not in {layers.name}')
            elif rooms[target_room][0] >= level:
                where = 'a peer of' if rooms[target_room][0] == level else 'above'
                refusals.append(f'{shown}:{number}: {room} must not include {match.group(2)} '
                                f'({target_room} is {where} {room})')
    for cycle in find_cycles(edges):
        refusals.append('include cycle: ' + ' -> '.join(str(f.relative_to(root)) for f in cycle))
    return refusals


def main():
    here = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--root', type=pathlib.Path, default=here)
    parser.add_argument('--layers', type=pathlib.Path)
    parser.add_argument('--stamp', type=pathlib.Path)
    a = parser.parse_args()
    root = a.root.resolve()
    refusals = check(root, a.layers or root / 'cmake' / 'layers.txt')
    for refusal in refusals:
        print(refusal, file=sys.stderr)
    if refusals:
        return 1
    if a.stamp:
        a.stamp.touch()
    return 0


if __name__ == '__main__':
    sys.exit(main())
