#!/usr/bin/python3
"""Writes the C++ source of the plot's two embedded fonts (src/graph/plot_fonts.h): a subset of a
Latin font with every printable ASCII character and of a Japanese font with the other characters
of the plot's texts. Needs Debian's python3-fonttools (run with /usr/bin/python3)."""
import argparse
import io
import pathlib

from fontTools import subset
from fontTools.ttLib import TTFont


def subset_bytes(path, characters):
    options = subset.Options()
    options.layout_features = []
    options.hinting = False
    options.name_IDs = ['*']          # the copyright and licence texts go with the glyphs
    options.name_languages = ['*']
    options.notdef_outline = True
    options.drop_tables += ['FFTM']
    font = TTFont(path)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=characters)
    subsetter.subset(font)
    out = io.BytesIO()
    font.save(out)
    return out.getvalue()


def c_array(name, data):
    rows = [', '.join(str(b) for b in data[k:k + 24]) for k in range(0, len(data), 24)]
    return f'extern const unsigned char {name}[] = {{\n' + ',\n'.join(rows) + '\n};\n'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--latin', required=True)
    parser.add_argument('--japanese', required=True)
    parser.add_argument('--texts', required=True)
    parser.add_argument('--out', required=True)
    a = parser.parse_args()
    ascii_text = ''.join(chr(c) for c in range(0x20, 0x7f))
    others = ''.join(sorted({ch for ch in pathlib.Path(a.texts).read_text(encoding='utf-8') if ord(ch) > 0x7f}))
    source = ('// Made by tools/plotfont/make_plot_fonts.py; do not edit.\n#include "graph/plot_fonts.h"\n\n'
              'namespace plorimet {\n\n' + c_array('kPlotLatinFont', subset_bytes(a.latin, ascii_text)) + '\n' +
              c_array('kPlotJapaneseFont', subset_bytes(a.japanese, others)) + '\n}  // namespace plorimet\n')
    out = pathlib.Path(a.out)
    if not out.exists() or out.read_text() != source:
        out.write_text(source)


if __name__ == '__main__':
    main()
