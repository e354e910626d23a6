#!/usr/bin/env bash
# Packs the release zip from a Windows build:
#
#   tools/make-release.sh [BUILDDIR [ZIP]]
#
# BUILDDIR defaults to build/win, ZIP to BUILDDIR/Plorimet-<version>-win64.zip. The zip holds,
# side by side: TAVRO_95.EXE, TAVRO_E.PDF, TAVRO_J.PDF (built by tools/build-manuals.sh when
# they are not there yet), plorimet.exe, desktop_standin.exe, plorimet.html (the page, built by
# tools/build-web.sh when build/web has none), README.txt and LICENSE.txt (both with CR LF line
# ends). The entries carry the time of the last commit, so the same inputs give
# the same zip.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build/win}"
[ -d "$BUILD" ] || { echo "make-release.sh: no build directory $BUILD" >&2; exit 2; }
BUILD="$(cd "$BUILD" && pwd)"
VERSION="$(sed -n 's/^project(plorimet VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
[ -n "$VERSION" ] || { echo "make-release.sh: no version in CMakeLists.txt" >&2; exit 1; }
ZIP="${2:-$BUILD/Plorimet-$VERSION-win64.zip}"

die() {
  echo "make-release.sh: $*" >&2
  exit 1
}

EXE_DIR="$BUILD/src/app"
[ -f "$EXE_DIR/TAVRO_95.EXE" ] || die "$EXE_DIR/TAVRO_95.EXE is missing: build the program first"
[ -f "$BUILD/tools/plorimet.exe" ] || die "$BUILD/tools/plorimet.exe is missing: build the command-line tool first"
STANDIN="$BUILD/tools/desktop_standin/desktop_standin.exe"
[ -f "$STANDIN" ] || die "$STANDIN is missing: build the desktop stand-in first"
if [ ! -f "$EXE_DIR/TAVRO_E.PDF" ] || [ ! -f "$EXE_DIR/TAVRO_J.PDF" ]; then
  "$ROOT/tools/build-manuals.sh" "$EXE_DIR"
fi

# The page beside the manuals, so that its Help opens them as the window's does.
PAGE="$ROOT/build/web/plorimet.html"
[ -f "$PAGE" ] || "$ROOT/tools/build-web.sh" "$PAGE"

STAGE="$(mktemp -d)"
trap 'rm -rf "$STAGE"' EXIT

to_crlf() { sed 's/\r$//; s/$/\r/' "$1"; }

cp "$EXE_DIR/TAVRO_95.EXE" "$EXE_DIR/TAVRO_E.PDF" "$EXE_DIR/TAVRO_J.PDF" "$BUILD/tools/plorimet.exe" "$STANDIN" \
  "$PAGE" "$STAGE/"
sed "s/@VERSION@/$VERSION/g" "$ROOT/docs/release-readme.txt" >"$STAGE/README.in"
to_crlf "$STAGE/README.in" >"$STAGE/README.txt"
rm "$STAGE/README.in"
if [ -f "$ROOT/LICENSE" ]; then
  to_crlf "$ROOT/LICENSE" >"$STAGE/LICENSE.txt"
else
  cat >"$STAGE/LICENSE.in" <<'EOF'
MIT License

Copyright (c) 2026 the Plorimet developers

Permission is hereby granted, free of charge, to any person obtaining a copy
of this software and associated documentation files (the "Software"), to deal
in the Software without restriction, including without limitation the rights
to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
copies of the Software, and to permit persons to whom the Software is
furnished to do so, subject to the following conditions:

The above copyright notice and this permission notice shall be included in all
copies or substantial portions of the Software.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
SOFTWARE.
EOF
  to_crlf "$STAGE/LICENSE.in" >"$STAGE/LICENSE.txt"
  rm "$STAGE/LICENSE.in"
fi

STAMP="$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || true)"
[ -n "$STAMP" ] || STAMP="${SOURCE_DATE_EPOCH:-1767225600}"

mkdir -p "$(dirname "$ZIP")"
python3 - "$STAGE" "$ZIP" "$STAMP" <<'EOF'
import os, sys, time, zipfile
stage, target, stamp = sys.argv[1], sys.argv[2], int(sys.argv[3])
names = ["TAVRO_95.EXE", "TAVRO_E.PDF", "TAVRO_J.PDF", "plorimet.exe", "desktop_standin.exe",
         "plorimet.html", "README.txt", "LICENSE.txt"]
when = time.gmtime(max(stamp, 315532800))[:6]  # zip times start in 1980
partial = target + ".partial"
with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for name in names:
        entry = zipfile.ZipInfo(name, date_time=when)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o644 << 16
        with open(os.path.join(stage, name), "rb") as f:
            archive.writestr(entry, f.read())
os.replace(partial, target)
EOF
echo "make-release.sh: wrote $ZIP ($(stat -c %s "$ZIP") bytes)"
