#!/usr/bin/env bash
# Builds the page: build/web/plorimet.html, one self-contained file (HTML, CSS, JavaScript and
# the program as WebAssembly) that works opened from the disk, offline, or from any web server.
#
#   tools/build-web.sh [OUT.html]
#
# Needs Debian's emscripten and node-acorn (tools/setup-deps.sh test installs them).
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

mkdir -p "$(dirname "$OUT")" "$WASM_BUILD/art"
python3 tools/artgen/artgen.py --art resources/art/toolbar.art --out "$WASM_BUILD/art" >/dev/null
python3 web/assemble.py --template web/page.html --script web/page.js \
  --module "$WASM_BUILD/web/plorimet_page.js" --art "$WASM_BUILD/art" \
  --messages src/base/messages.cpp --out "$OUT"
echo "Wrote $OUT ($(stat -c %s "$OUT") bytes)"
