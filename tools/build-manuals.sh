#!/usr/bin/env bash
# Builds the user manuals from docs/manual.en.adoc and docs/manual.ja.adoc into the PDF files
# the program opens from its own folder: OUTDIR/TAVRO_E.PDF and OUTDIR/TAVRO_J.PDF.
#
#   tools/build-manuals.sh OUTDIR [en|ja]    (both manuals when no language is given)
#
# Needs asciidoctor-pdf (package ruby-asciidoctor-pdf) and the IPA P Gothic font (package
# fonts-ipafont-gothic) for the Japanese glyphs; tools/setup-deps.sh installs both.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DOCS="$ROOT/docs"

[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 OUTDIR [en|ja]" >&2; exit 2; }
OUTDIR="$1"
WHICH="${2:-all}"
case "$WHICH" in en|ja|all) ;; *) echo "build-manuals.sh: language must be en or ja" >&2; exit 2 ;; esac

die() {
  echo "build-manuals.sh: $*" >&2
  exit 1
}

command -v asciidoctor-pdf >/dev/null 2>&1 ||
  die "asciidoctor-pdf is missing: run tools/setup-deps.sh (Debian package ruby-asciidoctor-pdf)"
mkdir -p "$OUTDIR"

# The output is written under a temporary name and renamed, so that an interrupted build never
# leaves a truncated manual that looks finished. Any warning (a broken cross reference, an
# unknown attribute) fails the build, except a screenshot that has not been taken yet: that one
# is reported here and by tests/docs/check-manuals.sh, which counts the pictures in each PDF.
render() {
  local out="$1"
  shift
  local partial="$OUTDIR/.$out.partial" log="$OUTDIR/.$out.log"
  if ! asciidoctor-pdf -a compress -o "$partial" "$@" 2>"$log"; then
    cat "$log" >&2
    rm -f "$partial" "$log"
    die "asciidoctor-pdf failed for $out"
  fi
  cat "$log" >&2
  if grep -v 'image to embed not found or not readable' "$log" | grep -q 'WARNING\|ERROR'; then
    rm -f "$partial" "$log"
    die "asciidoctor-pdf reported problems in the source of $out (above)"
  fi
  rm -f "$log"
  mv -f "$partial" "$OUTDIR/$out"
}

if [ "$WHICH" = en ] || [ "$WHICH" = all ]; then
  render TAVRO_E.PDF -a pdf-page-size=A4 "$DOCS/manual.en.adoc"
fi

if [ "$WHICH" = ja ] || [ "$WHICH" = all ]; then
  font="$(fc-list -f '%{file}\n' IPAPGothic 2>/dev/null | grep '/ipagp\.ttf$' | head -1 || true)"
  [ -n "$font" ] ||
    die "the IPA P Gothic font (ipagp.ttf) is missing: run tools/setup-deps.sh (package fonts-ipafont-gothic)"
  # GEM_FONTS_DIR keeps the default fonts of asciidoctor-pdf for the Latin text.
  render TAVRO_J.PDF -a pdf-themesdir="$DOCS" -a pdf-theme=ja \
    -a pdf-fontsdir="GEM_FONTS_DIR;$(dirname "$font")" "$DOCS/manual.ja.adoc"
fi
