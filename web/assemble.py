#!/usr/bin/env python3
"""Puts the page together as one file: the HTML template, the program (emscripten's JavaScript and
its WebAssembly, which also describes the dialogs), the tool bar faces and start picture, the
manuals as HTML and the code page 932 bytes of the program's Japanese characters. The
WebAssembly, the pictures and the manuals are kept gzip-compressed (the page unpacks them with
the browser's DecompressionStream): about a third of their size."""
import argparse
import base64
import gzip
import json
import pathlib
import re


def data_uri(path, kind):
    return f'data:{kind};base64,' + base64.b64encode(path.read_bytes()).decode()


def packed(data):
    """Bytes gzip-compressed (with no time in the header, so a build is the same each time), in base64."""
    return base64.b64encode(gzip.compress(data, compresslevel=9, mtime=0)).decode()


def main():
    parser = argparse.ArgumentParser()
    for name in ('template', 'script', 'module', 'wasm', 'art', 'messages', 'icon', 'manual_en', 'manual_ja', 'out'):
        parser.add_argument('--' + name.replace('_', '-'), dest=name, required=True)
    a = parser.parse_args()
    art = pathlib.Path(a.art)
    faces = {bmp.stem: data_uri(bmp, 'image/bmp') for bmp in sorted(art.glob('*.bmp'))
             if re.fullmatch(r'[A-Za-z]+(Up|Dn|In)', bmp.stem)}
    japanese = sorted({ch for ch in pathlib.Path(a.messages).read_text(encoding='utf-8') if ord(ch) > 0x7f})
    cp932 = {}
    for ch in japanese:
        try:
            cp932[ch] = list(ch.encode('cp932'))
        except UnicodeEncodeError:
            pass
    pictures = {'art': faces, 'startPicture': data_uri(art / 'IBMP_1.bmp', 'image/bmp')}
    packs = {'wasm': packed(pathlib.Path(a.wasm).read_bytes()),
             'pictures': packed(json.dumps(pictures).encode()),
             'manualEn': packed(pathlib.Path(a.manual_en).read_bytes()),
             'manualJa': packed(pathlib.Path(a.manual_ja).read_bytes())}
    data = {'packed': packs, 'cp932': cp932}
    module = pathlib.Path(a.module).read_text(encoding='utf-8')
    script = pathlib.Path(a.script).read_text(encoding='utf-8')
    for part in (module, script):
        if '</script' in part.lower():
            raise SystemExit('a script holds </script>')
    page = pathlib.Path(a.template).read_text(encoding='utf-8')
    page = page.replace('/*PAGE_DATA*/', 'const PAGE_DATA = ' + json.dumps(data, ensure_ascii=False) + ';')
    page = page.replace('/*ICON*/', data_uri(pathlib.Path(a.icon), 'image/x-icon'))
    page = page.replace('/*MODULE*/', module).replace('/*PAGE_SCRIPT*/', script)
    pathlib.Path(a.out).write_text(page, encoding='utf-8')


if __name__ == '__main__':
    main()
