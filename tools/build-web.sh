#!/usr/bin/env bash
# Builds the page: build/web/plorimet.html, one self-contained file (HTML, CSS, JavaScript and
# the program as WebAssembly) that works opened from the disk, offline, or from any web server.
#
#   tools/build-web.sh [OUT.html]
#
# Needs Debian's emscripten and node-acorn, and ruby-asciidoctor for the manuals' HTML
# (tools/setup-deps.sh test installs them).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
OUT="${1:-build/web/plorimet.html}"
WASM_BUILD=build/web-wasm
# emscripten's JavaScript optimizer needs acorn, which Debian keeps here.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

# No tests in this build: the page's tests run in a browser (tests/web).
emcmake cmake -S . -B "$WASM_BUILD" -DPLORIMET_TESTS=OFF -DPLORIMET_BENCH=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$WASM_BUILD" -j2 --target plorimet_page

mkdir -p "$(dirname "$OUT")" "$WASM_BUILD/art" "$WASM_BUILD/manual"
python3 tools/artgen/artgen.py --art resources/art/toolbar.art --out "$WASM_BUILD/art" >/dev/null
# The manuals as HTML for the page's Help, from the sources of the PDFs, screenshots inside.
for lang in en ja; do
  ruby -rasciidoctor -e 'Asciidoctor.convert_file(ARGV[0], safe: :unsafe, standalone: false, to_file: ARGV[1],
      attributes: { "data-uri" => "", "showtitle" => "", "icons" => nil })' \
    "docs/manual.$lang.adoc" "$WASM_BUILD/manual/manual.$lang.html"
done
python3 web/assemble.py --template web/page.html --script web/page.js \
  --module "$WASM_BUILD/web/plorimet_page.js" --wasm "$WASM_BUILD/web/plorimet_page.wasm" --art "$WASM_BUILD/art" \
  --messages src/base/messages.cpp --icon "$WASM_BUILD/art/plorimet.ico" \
  --manual-en "$WASM_BUILD/manual/manual.en.html" --manual-ja "$WASM_BUILD/manual/manual.ja.html" --out "$OUT"
echo "Wrote $OUT ($(stat -c %s "$OUT") bytes)"
