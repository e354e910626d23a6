#!/usr/bin/env python3
"""Puts the page together as one file: the HTML template, the program (emscripten's JavaScript and
its WebAssembly), the tool bar faces and start picture, the manuals as HTML, the dialog texts of
the resource script and the code page 932 bytes of the program's Japanese characters. The
WebAssembly, the pictures and the manuals are kept gzip-compressed (the page unpacks them with
the browser's DecompressionStream): about a third of their size."""
import argparse
import base64
import gzip
import json
import pathlib
import re

CONTROL = re.compile(r'^\s*(DEFPUSHBUTTON|PUSHBUTTON|GROUPBOX|CONTROL|LTEXT|CTEXT)\s+"((?:[^"]|"")*)"\s*,\s*([^,]+),')


def c_text(text):
    return text.replace('""', '"').replace('\\n', '\n')


def dialogs(rc_text):
    """Caption and controls (kind, text, id) of every DIALOG of the resource script, in order."""
    result, current = {}, None
    for line in rc_text.splitlines():
        head = re.match(r'^(\w+)\s+DIALOG\b', line)
        if head:
            current = result.setdefault(head.group(1), {'caption': '', 'items': []})
            continue
        if current is None:
            continue
        caption = re.match(r'^CAPTION\s+"(.*)"\s*$', line)
        if caption:
            current['caption'] = c_text(caption.group(1))
        elif line.strip() == 'END':
            current = None
        else:
            control = CONTROL.match(line)
            if control:
                current['items'].append({'kind': control.group(1), 'text': c_text(control.group(2)),
                                         'id': control.group(3).strip()})
    return result


def data_uri(path, kind):
    return f'data:{kind};base64,' + base64.b64encode(path.read_bytes()).decode()


def packed(data):
    """Bytes gzip-compressed (with no time in the header, so a build is the same each time), in base64."""
    return base64.b64encode(gzip.compress(data, compresslevel=9, mtime=0)).decode()


def main():
    parser = argparse.ArgumentParser()
    for name in ('template', 'script', 'module', 'wasm', 'art', 'rc', 'messages', 'icon', 'manual_en', 'manual_ja',
                 'out'):
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
    data = {'packed': packs,
            'dialogs': dialogs(pathlib.Path(a.rc).read_text(encoding='utf-8')), 'cp932': cp932}
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
