#!/usr/bin/env bash
# Reads every graph bitmap the e2e runs saved with ImageMagick, a reader that is not ours:
# each must open as a 16-colour palette picture of the size the driver expected.
#   check_saved_graphs.sh <screenshots folder>
set -u
shots="$1"
lists=$(ls "$shots"/*/graph-files/saved-bmps.txt 2>/dev/null)
[ -n "$lists" ] || { echo "FAIL no saved graph lists under $shots"; exit 1; }
failed=0; checked=0
for list in $lists; do
  while read -r path width height; do
    [ -n "$path" ] || continue
    seen=$(identify -format "%w %h %[type] %z" "$path" 2>&1)
    entries=$(identify -verbose "$path" 2>/dev/null | sed -n 's/^ *Colormap entries: *//p')
    if [ "$seen" = "$width $height Palette 4" ] && [ "$entries" = 16 ]; then
      echo "ok $path: $seen, $entries colormap entries"
    else
      echo "FAIL $path: '$seen', colormap entries '$entries', expected '$width $height Palette 4' and 16"
      failed=1
    fi
    checked=$((checked + 1))
  done < <(sort -u "$list")
done
echo "$checked bitmaps read"
[ "$checked" -gt 0 ] && [ "$failed" = 0 ]
