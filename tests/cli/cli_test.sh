#!/usr/bin/env bash
# The command-line tool end to end: what it prints, what it writes, how it fails.
# usage: cli_test.sh PLORIMET_EXE EXAMPLES_DIR
set -u
tool=$(realpath "$1")
examples=$2
work=$(mktemp -d)
trap 'umount "$work/full" 2>/dev/null; rm -rf "$work"' EXIT
passed=0
failed=0

check() {  # name, expected, actual
  if [ "$2" == "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
  fi
}

run() {  # runs the tool, keeps stdout, stderr and the exit code
  "$tool" "$@" >"$work/out" 2>"$work/err"
  code=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}

run fit "$examples/worked_line.txt" --degree 1
check "worked example of a line" $'Y = 1*X^0  +  2*X^1\n    Method of least squares : Simple equation.' "$out"
check "worked example exit" 0 "$code"

run fit "$examples/two_pairs.txt"
check "two pairs give the line through them" 'Y = -1*X^0  +  3*X^1' "$out"

run fit "$examples/worked_line.txt" --degree 1 --lang ja
check "Japanese equation in UTF-8" $'Y = 1*X^0  +  2*X^1\n    最小二乗法 : 一次式の適用.' "$out"

run fit "$examples/sample.txt" --degree 2 --digits 6 --save "$work/saved.txt"
check "save exit" 0 "$code"
expected=$(printf '     X  \t     Y  \r\n     1  \t     2.1  \r\n')
check "saved heading and first pair" "$expected" "$(head -c 40 "$work/saved.txt")"
check "saved equation block ends with blank CR LF" "$(printf 'equation. \r\n' | od -c)" "$(tail -c 12 "$work/saved.txt" | od -c)"
run read "$work/saved.txt"
check "saved file reads back" 8 "$(printf '%s\n' "$out" | wc -l)"
check "saved file first pair" $'1\t2.1' "$(printf '%s\n' "$out" | head -1)"

run fit "$examples/sample.txt" --save "$work/saved.xls"
check "save needs .txt" "Assign a file with TXT extension." "$err"
check "save needs .txt exit" 1 "$code"
[ -e "$work/saved.xls" ] && check "nothing written for a refused name" "absent" "present"

mkdir "$work/ro"; printf 'good\r\n' >"$work/ro/keep.txt"; chmod 555 "$work/ro"
if [ "$(id -u)" -ne 0 ]; then
  run fit "$examples/sample.txt" --save "$work/ro/keep.txt"
  check "unwritable folder reported" "Unable to create an assigned file to save data." "$err"
fi
check "old file intact" "good" "$(tr -d '\r' <"$work/ro/keep.txt")"
chmod 755 "$work/ro"

printf 'keep\r\n' >"$work/readonly.txt"; chmod 444 "$work/readonly.txt"
run fit "$examples/sample.txt" --save "$work/readonly.txt"
check "read-only target refused" "Unable to create an assigned file to save data." "$err"
check "read-only target intact" "keep" "$(tr -d '\r' <"$work/readonly.txt")"

# The temporary file has a unique name: a link planted where a fixed name would be is passed over.
printf 'unrelated\n' >"$work/victim"; ln -s "$work/victim" "$work/planted.txt.part"
run fit "$examples/sample.txt" --save "$work/planted.txt"
check "planted link: saved" "0 unrelated" "$code $(cat "$work/victim")"

# Twenty saves at once to one target: all succeed and the file is one of them, whole.
mkdir "$work/race"
"$tool" fit "$examples/sample.txt" --digits 3 --save "$work/digits3.txt" >/dev/null
"$tool" fit "$examples/sample.txt" --digits 6 --save "$work/digits6.txt" >/dev/null
pids=()
for i in $(seq 1 20); do
  "$tool" fit "$examples/sample.txt" --digits $((3 + i % 2 * 3)) --save "$work/race/out.txt" >/dev/null &
  pids+=($!)
done
racefailed=0
for pid in "${pids[@]}"; do wait "$pid" || racefailed=$((racefailed + 1)); done
check "twenty saves at once: none failed" 0 "$racefailed"
check "twenty saves at once: only the target" "out.txt" "$(ls -A "$work/race")"
cmp -s "$work/race/out.txt" "$work/digits3.txt" || cmp -s "$work/race/out.txt" "$work/digits6.txt"
check "twenty saves at once: one whole file" 0 $?

# A full disk: the message, the old file as it was, nothing left behind.
mkdir "$work/full"
if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=64k plorimet-full "$work/full" 2>/dev/null; then
  printf 'old\r\n' >"$work/full/old.txt"
  head -c 1M /dev/zero >"$work/full/filler" 2>/dev/null
  run fit "$examples/sample.txt" --save "$work/full/old.txt"
  check "full disk: message and exit" "1 Unable to write in file." "$code $err"
  check "full disk: old file byte for byte" "$(printf 'old\r\n' | od -c)" "$(od -c <"$work/full/old.txt")"
  check "full disk: no temporary file" "filler old.txt" "$(ls -A "$work/full" | tr '\n' ' ' | sed 's/ $//')"
  umount "$work/full"
else
  echo "skipped: the full-disk save needs root to mount a tmpfs"
fi

run fit "$examples/sample.txt" --save ""
check "empty save name is usage" "2 plorimet: --save takes a file name" "$code $(head -1 "$work/err")"

run fit "$examples/sample.txt" --degree 1 --json
check "json has r_squared" 1 "$(grep -c '"r_squared": 0.99' "$work/out")"
check "json has 17-digit coefficients" 1 "$(grep -c '"coefficients": \[0.0357142857142' "$work/out")"

run fit "$work/missing.txt"
check "missing file" "The file does not exist." "$err"
check "missing file exit" 1 "$code"
run fit "$work"
check "directory" "plorimet: $work: is a folder, not a file" "$err"
mkfifo "$work/fifo"
run read "$work/fifo"
check "FIFO, not waited on" "1 plorimet: $work/fifo: is not a plain file (a device, FIFO or socket)" "$code $err"
run read /dev/null
check "device" "plorimet: /dev/null: is not a plain file (a device, FIFO or socket)" "$err"
if [ "$(id -u)" -ne 0 ]; then
  printf '1 2\r\n' >"$work/closed.txt"; chmod 000 "$work/closed.txt"
  run read "$work/closed.txt"
  check "unreadable file" "plorimet: $work/closed.txt: cannot be read: Permission denied" "$err"
fi
cp "$examples/sample.txt" "$work/-x.txt"
(cd "$work" && "$tool" read -- -x.txt >"$work/out")
check "-- ends the options" 8 "$(wc -l <"$work/out")"
"$tool" read "$examples/sample.txt" >/dev/full 2>"$work/err"
check "output to a full device" "1 plorimet: the output could not be written" "$? $(cat "$work/err")"
: >"$work/empty.txt"
run read "$work/empty.txt"
check "empty file" "NO data in the file." "$err"
head -c 100000 /dev/urandom | tr -d '0-9.\n ,\t-' >"$work/garbage.bin"
run fit "$work/garbage.bin"
check "binary garbage" "NO data in the file." "$err"
printf '1 2\r\n\0\0\0\r\n3 4\r\n' >"$work/nul.txt"
run read "$work/nul.txt"
check "NUL bytes skip their line" $'1\t2\n3\t4' "$out"
{ head -c 1000000 /dev/zero | tr '\0' '7'; printf ' 1\r\n5 6\r\n'; } >"$work/longline.txt"
run read "$work/longline.txt"
check "a line of a million characters is skipped" $'5\t6' "$out"
truncate -s 1G "$work/huge.bin"
run read "$work/huge.bin"
check "1 GB of zero bytes" "NO data in the file." "$err"
{ for i in $(seq 1 45); do printf '%d %d\r\n' "$i" "$((i * i))"; done; } >"$work/head.txt"
cp "$work/head.txt" "$work/big.txt"; truncate -s 1G "$work/big.txt"
run read "$work/big.txt"
check "45 pairs at the head of a 1 GB file" 45 "$(printf '%s\n' "$out" | wc -l)"

run fit "$examples/sample.txt" --degree 9
check "degree beyond the data" 1 "$code"
check "degree message" "plorimet: degree 9 is not offered for 8 pairs (1 to 7)" "$err"
run fit
check "usage exit" 2 "$code"
run fit "$examples/sample.txt" --digits 7
check "digits out of range is usage" 2 "$code"
run frobnicate x
check "unknown command is usage" 2 "$code"

printf '1\t10\t100\r\n2\t20\t200\r\n' >"$work/three.txt"
run paste "$work/three.txt"
check "paste proposes leftmost and rightmost" $'1\t100\n2\t200' "$out"
run paste "$work/three.txt" --columns 2,3
check "paste chosen columns" $'10\t100\n20\t200' "$out"
run paste "$work/three.txt" --columns 3,2
check "paste Y left of X" $'Y column number should be larger\nthan X column number.' "$err"
run paste "$work/three.txt" --columns 1,4
check "paste column beyond the text" 2 "$code"
printf '1,234\t2\r\n' >"$work/comma.txt"
run paste "$work/comma.txt"
check "paste thousands separator" $'Incorrect Clipboard data.\nNot copied data from Excel.' "$err"
head -c 20000000 /dev/zero | tr '\0' '1' >"$work/large.txt"
run paste "$work/large.txt"
check "paste stops at its limit" "1 plorimet: $work/large.txt: the text is larger than the 16 MB a paste takes" "$code $err"
run paste "$work/comma.txt" --lang ja
check "paste message in Japanese" $'クリップボードのデータが不正です.\nExcelのデータのコピーではありません.' "$err"

# ---- graph and eval ------------------------------------------------------------------------
# Python with Pillow (Debian's python3-pil), whichever python3 has it.
py=python3
$py -c 'import PIL' 2>/dev/null || py=/usr/bin/python3
printf '1,2\r\n2,5\r\n3,4\r\n4,8\r\n' >"$work/four.txt"

run graph "$work/four.txt" --out "$work/g.bmp"
check "graph exit" 0 "$code"
# The bytes Save Graph wrote in the window (under Wine) for these pairs and settings.
check "graph 100 %, line 1, dot 5, no marks: the window's Save Graph file" \
  8b1f6e9cbebf4d6481dc765d2999c306d80369430932fed2d9b24b6184922b9a "$(sha256sum <"$work/g.bmp" | cut -d' ' -f1)"
run graph "$work/four.txt" --size 70 --scale ticks --line 3 --dot 9 --out "$work/g70.bmp"
check "graph 70 %, ticks, line 3, dot 9: the window's Save Graph file" \
  492147e3507443461b4ca960ecb84cb011317f4c72666d5041e18da51f056873 "$(sha256sum <"$work/g70.bmp" | cut -d' ' -f1)"
check "ImageMagick reads the BMP" "523 307 Palette 4" "$(identify -format '%w %h %[type] %z' "$work/g.bmp" 2>&1)"
run graph "$work/four.txt" --size 50 --scale grid --line 5 --dot 13 --out "$work/g.png"
check "ImageMagick reads the PNG" "263 155 Palette" "$(identify -format '%w %h %[type]' "$work/g.png" 2>&1)"
check "Pillow reads the PNG: 16 colours, black, red and white used" "(263, 155) P 16 [(0, 0, 0), (255, 0, 0), (255, 255, 255)]" \
  "$($py -c 'import sys; from PIL import Image; i = Image.open(sys.argv[1]); print(i.size, i.mode, len(i.getpalette()) // 3, sorted(c for n, c in i.convert("RGB").getcolors()))' "$work/g.png" 2>&1)"
check "Pillow reads the BMP" "(523, 307) P" \
  "$($py -c 'import sys; from PIL import Image; i = Image.open(sys.argv[1]); print(i.size, i.mode)' "$work/g.bmp" 2>&1)"
run graph "$work/four.txt" --scale grid --out "$work/g.svg"
check "ImageMagick reads the SVG" "523 307" "$(identify -format '%w %h' "$work/g.svg" 2>&1)"
check "SVG title is the equation" "Y = -14*X^0  +  25.5*X^1  -  11*X^2 |     +  1.5*X^3" \
  "$($py -c 'import sys, xml.etree.ElementTree as E; t = E.parse(sys.argv[1]).getroot().find("{http://www.w3.org/2000/svg}title").text; print("|".join(t.split("\n")))' "$work/g.svg" 2>&1)"
run graph "$examples/worked_line.txt" --degree 1 --lang ja --out "$work/ja.svg"
check "Japanese SVG title in UTF-8" "最小二乗法 : 一次式の適用." \
  "$($py -c 'import sys, xml.etree.ElementTree as E; t = E.parse(sys.argv[1]).getroot().find("{http://www.w3.org/2000/svg}title").text; print(t.split("\n")[-1].strip())' "$work/ja.svg" 2>&1)"

# A browser draws the SVG: each dot's centre red, the curve black, at the picture's size.
if command -v chromium >/dev/null; then
  run graph "$examples/wave.txt" --degree 5 --scale grid --line 3 --dot 9 --out "$work/browser.svg"
  HOME="$work" timeout 120 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --window-size=523,307 --screenshot="$work/browser.png" "file://$work/browser.svg" >/dev/null 2>&1
  check "chromium draws the SVG: every dot red at its centre, a black curve" "523x307 11 dots red, curve black" \
    "$($py - "$work/browser.svg" "$work/browser.png" <<'PY' 2>&1
import sys, xml.etree.ElementTree as E
from PIL import Image
ns = "{http://www.w3.org/2000/svg}"
svg = E.parse(sys.argv[1]).getroot()
img = Image.open(sys.argv[2]).convert("RGB")
px = img.load()
dots = [(float(c.get("cx")), float(c.get("cy"))) for c in svg.iter(ns + "circle")]
red = sum(1 for x, y in dots if px[int(x), int(y)][0] > 200 and px[int(x), int(y)][1] < 80)
black = sum(1 for x in range(img.width) for y in range(img.height) if sum(px[x, y]) < 60)
print("%dx%d %d dots %s, curve %s" % (img.width, img.height, len(dots),
      "red" if red == len(dots) else "%d red" % red, "black" if black > 500 else "missing"))
PY
)"
else
  echo "skipped: chromium is not installed (the SVG in a browser)"
fi

printf '1,3\r\n2,3\r\n4,3\r\n' >"$work/flat.txt"
run graph "$work/flat.txt" --out "$work/flat.bmp"
check "equal Y values" "Inputted Y values are same!" "$err"
check "equal Y values exit" 1 "$code"
[ -e "$work/flat.bmp" ] && check "no picture for equal Y values" "absent" "present"
run graph "$work/missing.txt" --out "$work/m.bmp"
check "graph of a missing file" "The file does not exist." "$err"
run graph "$work/four.txt" --out "$work/g.jpg"
check "graph needs .bmp, .png or .svg" 2 "$code"
run graph "$work/four.txt" --size 80 --out "$work/g.bmp"
check "graph size out of range is usage" 2 "$code"
run graph "$work/four.txt"
check "graph without --out is usage" 2 "$code"
run graph "$work/four.txt" --degree 4 --out "$work/g.bmp"
check "graph degree beyond the data" "plorimet: degree 4 is not offered for 4 pairs (1 to 3)" "$err"
run graph "$work/four.txt" --out "$work/no-folder/g.bmp"
check "graph into a missing folder" "Unable to open file." "$err"
check "graph into a missing folder exit" 1 "$code"
run graph "$work/four.txt" --all --out "$work/all.bmp"
check "graph accepts --all" 0 "$code"
mkdir "$work/ro2"; printf 'old' >"$work/ro2/keep.bmp"; chmod 555 "$work/ro2"
if [ "$(id -u)" -ne 0 ]; then
  run graph "$work/four.txt" --out "$work/ro2/keep.bmp"
  check "graph into an unwritable folder exit" 1 "$code"
  check "graph into an unwritable folder: Save Graph's message" "Unable to open file." "$err"
fi
check "old picture intact" "old" "$(cat "$work/ro2/keep.bmp")"
chmod 755 "$work/ro2"

run eval "$examples/worked_line.txt" --degree 1 --at 0.1 -3 1e3
check "eval exit" 0 "$code"
check "eval echoes each X" $'0.1\n-3\n1e3' "$(printf '%s\n' "$out" | cut -f1)"
check "eval values of Y = 1 + 2X" "1.2 -5 2001" \
  "$(printf '%s\n' "$out" | awk -F'\t' '{ printf "%s%.12g", (NR > 1 ? " " : ""), $2 }')"
check "eval prints up to 17 significant digits" 0 \
  "$(printf '%s\n' "$out" | cut -f2 | tr -d '.-' | sed 's/e.*//; s/^0*//' | awk 'length($0) > 17' | wc -l)"
run eval "$examples/worked_line.txt"
check "eval without --at is usage" 2 "$code"
run eval "$examples/worked_line.txt" --at x
check "eval of a non-number is usage" 2 "$code"
run eval "$work/missing.txt" --at 1
check "eval of a missing file" 1 "$code"

# fit --all: every pair of the file, beyond the grid's 45.
nist="$(cd "$(dirname "$0")/../data/nist" && pwd)"
for k in $(seq 1 50); do printf '%d %d\r\n' "$k" $((2 * k + 1)); done >"$work/fifty.txt"
printf 'heading\r\n' >>"$work/fifty.txt"
run fit --all "$work/fifty.txt" --degree 1
check "--all reads past 45 pairs" $'Y = 1*X^0  +  2*X^1\n    Method of least squares : Simple equation.' "$out"
run fit --all "$nist/Filip.txt" --degree 10 --digits 6
check "--all Filip, NIST's certified equation" $'Y = -1467.49*X^0  -  2772.18*X^1  -  2316.37*X^2 \n     -  1127.97*X^3  -  354.478*X^4  -  75.1242*X^5 \n     -  10.8753*X^6  -  1.06221*X^7  -  0.0670191*X^8 \n     -  0.00246781*X^9  -  4.02963e-05*X^10\n    Method of least squares : 10th degree equation.' "$out"
printf '1 2\r\n2 3\r\n3 1e400\r\n' >"$work/huge.txt"
run fit --all "$work/huge.txt"
check "--all refuses a value beyond a double" "1:plorimet: line 3: a value beyond the range of a double" "$code:$err"
run eval --all "$work/fifty.txt" --degree 1 --at 100
check "eval --all fits past 45 pairs" $'100\t201' "$out"
run graph --all "$work/fifty.txt" --degree 1 --out "$work/fifty.svg"
check "graph --all draws every pair" 50 "$(grep -c '<circle' "$work/fifty.svg")"
run fit --all "$work/fifty.txt" --save "$work/all.txt"
check "--all does not save" 2 "$code"

# Statistics, fits through the origin, every observation with --all, the degree comparison:
# name | exit code | a text the output or the error holds | arguments.
printf '0 1\r\n0 2\r\n' >"$work/zeros.txt"
awk 'BEGIN { for (x = 1990; x <= 2030; x++) printf "%d %.2f\n", x, 100 + 0.3 * (x - 2010)^2 + 5 * sin(x) }' >"$work/years.txt"
awk 'BEGIN { for (k = 0; k < 50; k++) printf "%d %.17g\n", k, 1e9 + 0.001 * sin(k * k) }' >"$work/offset.txt"
printf '1 2\r2 4\r3 7\r4 8\r' >"$work/cr.txt"
printf '1 2\n2 3\n3 1e-400\n' >"$work/tiny.txt"
printf 'x y w\n1 2 1\n2 4.5 0.5\n3 5.5 2\n4 8 1\n' >"$work/weighted.txt"
printf '1 2 1\n2 4\n' >"$work/noweight.txt"
printf '1 2\r\n1 4\r\n2 5\r\n2 7\r\n3 9\r\n' >"$work/replicates.txt"
for k in 1 2 3 4 5 6 7 8 9 10 11 12; do echo "${k}e16 $((k % 3))"; done >"$work/huge_x.txt"
while IFS='|' read -r name want text args; do
  eval "run $args"
  case "$out$err" in *"$text"*) found=found ;; *) found="missing from: $out$err" ;; esac
  check "$name" "$want found" "$code $found"
done <<'EOF'
level 1 is usage|2|--level takes a confidence level between 0 and 1|fit "$examples/sample.txt" --stats --level 1
level 0 is usage|2|--level takes a confidence level|eval "$examples/sample.txt" --at 1 --interval --level 0
up-to 0 is usage|2|--up-to takes a degree from 1 to 44|degrees "$examples/wave.txt" --up-to 0
up-to 45 is usage|2|--up-to takes a degree from 1 to 44|degrees "$examples/wave.txt" --up-to 45
interval without at is usage|2|--interval needs --at|eval "$examples/sample.txt" --interval
eval without at is usage|2|eval needs --at|eval "$examples/sample.txt"
eval: at takes numbers|2|--at takes one or more numbers|eval "$examples/sample.txt" --at x
eval: at refuses nan among the X|2|--at takes numbers that are finite and within the range of a double|eval "$examples/sample.txt" --at 1 nan
eval: at ends before a non-number|2|unexpected argument 'x'|eval "$examples/sample.txt" --at 1 x
eval: at ends before an empty argument|2|unexpected argument ''|eval "$examples/sample.txt" --at 1 ""
eval: at twice|0|3	7|eval "$examples/worked_line.txt" --degree 1 --at 1 --at 2 3
eval: no --out|2|unknown option '--out'|eval "$examples/sample.txt" --out "$work/e.svg" --at 1
graph: no FILE|2|no FILE given|graph --out "$work/a.svg"
graph: one FILE|2|unexpected argument|graph "$examples/sample.txt" "$examples/wave.txt" --out "$work/a.svg"
graph: degree a whole number|2|--degree takes a whole number|graph "$examples/sample.txt" --degree 2.5 --out "$work/a.svg"
graph: lang en or ja|2|--lang takes en or ja|graph "$examples/sample.txt" --lang fr --out "$work/a.svg"
graph: size 100, 70 or 50|2|--size takes 100, 70 or 50|graph "$examples/sample.txt" --size 80 --out "$work/a.svg"
graph: scale none, ticks or grid|2|--scale takes none, ticks or grid|graph "$examples/sample.txt" --scale x --out "$work/a.svg"
graph: line 1 to 5|2|--line takes 1 to 5|graph "$examples/sample.txt" --line 6 --out "$work/a.svg"
graph: an even dot|2|--dot takes 5, 7, 9, 11 or 13|graph "$examples/sample.txt" --dot 6 --out "$work/a.svg"
graph: a dot beyond 13|2|--dot takes 5, 7, 9, 11 or 13|graph "$examples/sample.txt" --dot 15 --out "$work/a.svg"
graph: out a picture name|2|--out takes a .bmp, .png or .svg name|graph "$examples/sample.txt" --out "$work/a.jpg"
graph: out a file name|2|--out takes a file name|graph "$examples/sample.txt" --out ""
graph: no band|2|unknown option '--band'|graph "$examples/sample.txt" --band none --out "$work/a.svg"
plot: needs out|2|plot needs --out|plot "$examples/sample.txt"
plot: out SVG or PNG|2|--out takes a .svg or .png name|plot "$examples/sample.txt" --out "$work/a.bmp"
plot: band confidence, prediction or none|2|--band takes confidence, prediction or none|plot "$examples/sample.txt" --band x --out "$work/a.svg"
plot: no size|2|unknown option '--size'|plot "$examples/sample.txt" --size 70 --out "$work/a.svg"
plot: no at|2|unknown option '--at'|plot "$examples/sample.txt" --at 1 --out "$work/a.svg"
through the origin, every X 0|1|no fit through the origin exists: every X is 0|fit "$work/zeros.txt" --through-origin --json
degrees through the origin, every X 0|1|no fit through the origin exists|degrees "$work/zeros.txt" --through-origin
up-to beyond the data|1|beyond the highest degree these data allow (10)|degrees "$examples/wave.txt" --up-to 11
no degrees of freedom: said|0|n/a: no residual degrees of freedom|fit "$examples/two_pairs.txt" --stats
no degrees of freedom: coefficients kept|0|"coefficients": [-1, 3]|fit "$examples/two_pairs.txt" --json
no degrees of freedom: no standard errors|0|"standard_errors": [null, null]|fit "$examples/two_pairs.txt" --json
no degrees of freedom: no intervals|0|1	2	-	-	-	-|eval "$examples/two_pairs.txt" --at 1 --interval
through the origin keeps the equation's form|0|Y = 0*X^0  +  |fit "$examples/sample.txt" --through-origin --degree 2
through the origin in JSON|0|"through_origin": true|fit --all "$examples/sample.txt" --through-origin --json
through the origin for graph|0||graph "$examples/sample.txt" --through-origin --out "$work/origin.svg"
grid keeps the first of equal X|0|"pairs": [["1", "2"], ["2", "5"], ["3", "9"]]|fit "$work/replicates.txt" --degree 1 --json
all keeps every observation|0|"degrees_of_freedom": 3,|fit --all "$work/replicates.txt" --degree 1 --json
all: degree needs distinct X|1|degree 3 is not offered for 5 pairs with 3 distinct X (1 to 2)|fit --all "$work/replicates.txt" --degree 3
all: the exact optimum where X^20 overflows a double|0|Method of least squares : 10th degree|fit --all "$work/huge_x.txt" --degree 10
all: pairs in JSON as their shortest numbers|0|"pairs": [["1e+16", "1"], ["2e+16", "2"], ["3e+16", "0"]|fit --all "$work/huge_x.txt" --degree 2 --json
all: a fit refused in JSON, its pairs' text made meanwhile|1|degree 3 is not offered for 5 pairs|fit --all "$work/replicates.txt" --degree 3 --json
all: Pontius counts 40|0|"observations": 40,|fit --all "$nist/Pontius.txt" --degree 2 --json
stats at another level|0|99% confidence interval|fit "$examples/wave.txt" --stats --level 0.99
stats in Japanese|0|残差標準偏差|fit "$examples/wave.txt" --stats --lang ja
eval intervals|0|X	Y	confidence low	confidence high	prediction low	prediction high|eval "$examples/wave.txt" --at 2 --interval
degrees marks the preferred|0|* the degree each column prefers|degrees "$examples/wave.txt"
degrees in JSON|0|"preferred": {"residual_std_dev": |degrees --all "$work/replicates.txt" --json
stats: t, p, F, the likelihood's criteria, PRESS|0|AICc                           |fit "$examples/wave.txt" --stats
stats: the level's every digit|0|99.96% confidence interval|fit "$examples/sample.txt" --degree 2 --stats --level 0.9996
stats: the criteria's constant said|0|with its constant n/2 (1 + ln 2pi)|fit "$examples/sample.txt" --degree 2 --stats
stats: lack of fit with repeated X|0|Lack of fit against pure error (distinct X 3, pure error df 2, lack-of-fit df 1)|fit --all "$work/replicates.txt" --degree 1 --stats
stats: uncentred R^2 labelled|0|"r_squared_kind": "uncentred"|fit --all "$examples/sample.txt" --through-origin --json
stats: a reason, never a bare null|0|"unavailable": {"adjusted_r_squared": "no residual degrees of freedom|fit "$examples/two_pairs.txt" --json
residuals: every observation|0|fitted	residual	leverage	studentized residual	Cook's distance|fit --all "$work/replicates.txt" --degree 1 --residuals
residuals in JSON|0|"studentized_residual": |fit --all "$work/replicates.txt" --degree 1 --residuals --json
degrees: degree 0 first|0|0            |degrees "$examples/sample.txt"
degrees: AICc recommends with few points|0|Recommended degree: 1 (the smallest AICc; AICc rather than AIC as n/k < 40|degrees "$examples/sample.txt"
eval: the optimum's value, not the rounded equation's|0|2010	99.479620084155982|eval --all "$work/years.txt" --degree 10 --at 2010
eval: the optimum where the equation shows the intercept alone|0|49	999999999.99994683|eval --all "$work/offset.txt" --degree 1 --at 49
all: CR line ends as fit reads them|0|Y = 4*X^0  -  5*X^1|fit --all "$work/cr.txt"
all: 1e-400 is not an overflow|1|line 3: a value too close to 0 for a double|fit --all "$work/tiny.txt"
weights: the third number|0|"weighted": true|fit --all "$work/weighted.txt" --weights --degree 1 --json
weights: a line without one|1|line 2: no weight|fit --all "$work/noweight.txt" --weights
weights: only with --all|2|--weights goes with --all|fit "$examples/sample.txt" --weights
weights: degrees|0|Recommended degree|degrees --all "$work/weighted.txt" --weights
weights: eval|0|2	|eval --all "$work/weighted.txt" --weights --degree 1 --at 2 --interval
EOF

# Hostile values: name | exit code | arguments. No output holds nan or inf.
awk 'BEGIN { for (k = 0; k < 20; k++) printf "%d %.6ge200\n", k, 1 + 0.1 * k + 0.05 * sin(k) }' >"$work/y200.txt"
awk 'BEGIN { for (k = 0; k < 20; k++) printf "%d %.6ge-200\n", k, 1 + 0.1 * k + 0.05 * sin(k) }' >"$work/ym200.txt"
awk 'BEGIN { for (k = 0; k < 20; k++) printf "%d %.6ge-320\n", k, 1 + 0.1 * k }' >"$work/ym320.txt"
awk 'BEGIN { for (k = 1; k <= 6; k++) printf "%de300 %d\n", k, k * k + k % 2 }' >"$work/x300.txt"
while IFS='|' read -r name want args; do
  eval "run $args"
  check "hostile: $name: exit" "$want" "$code"
  check "hostile: $name: no nan or inf" "" "$(printf '%s\n%s' "$out" "$err" | grep -oiwE -- '-?(nan|inf|infinity)' | head -1)"
done <<'EOF'
eval at nan|2|eval "$examples/sample.txt" --degree 1 --at nan
eval at inf|2|eval "$examples/sample.txt" --degree 1 --at inf
eval at -inf|2|eval "$examples/sample.txt" --degree 1 --at -inf
eval at 1e400|2|eval "$examples/sample.txt" --degree 1 --at 1e400
eval at 1e308|0|eval "$examples/sample.txt" --at 1e308
eval at 5e300|0|eval "$examples/sample.txt" --degree 1 --at 5e300
eval at 1e200 with intervals|0|eval "$examples/sample.txt" --degree 2 --at 1e200 --interval
eval at 1e-320|0|eval "$examples/sample.txt" --degree 1 --at 1e-320 --interval
eval of X near 1e300 (the term check)|1|eval --all "$work/x300.txt" --degree 2 --at 2.5e300 --interval
level nan|2|fit "$examples/sample.txt" --stats --level nan
level inf|2|eval "$examples/sample.txt" --at 1 --interval --level inf
Y near 1e200: stats|0|fit --all "$work/y200.txt" --degree 2 --stats
Y near 1e200: JSON|0|fit --all "$work/y200.txt" --degree 2 --json --residuals
Y near 1e200: degrees|0|degrees --all "$work/y200.txt" --json
Y near 1e-200: degrees|0|degrees --all "$work/ym200.txt"
Y near 1e-320 (the term check)|1|fit --all "$work/ym320.txt" --degree 1 --stats --residuals
EOF

# Every command reads its file the one way: a folder, a FIFO and a missing file get the same
# messages whatever the command.
for command in "fit @" "fit --all @" "degrees @" "degrees --all @" "read @" "paste @" "graph @ --out $work/r.svg" \
               "eval @ --at 1" "eval --all @ --at 1"; do
  for input in "$work" "$work/fifo" "$work/missing.txt"; do
    run ${command/@/$input}
    case "$input" in
      "$work") want="plorimet: $work: is a folder, not a file" ;;
      "$work/fifo") want="plorimet: $work/fifo: is not a plain file (a device, FIFO or socket)" ;;
      *) want="The file does not exist." ;;
    esac
    check "$command with $(basename "$input")" "1 $want" "$code $err"
  done
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
