#!/usr/bin/env bash
# The command-line tool end to end: what it prints, what it writes, how it fails.
# usage: cli_test.sh PLORIMET_EXE EXAMPLES_DIR
set -u
tool=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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

run fit "$examples/sample.txt" --degree 1 --json
check "json has r_squared" 1 "$(grep -c '"r_squared": 0.99' "$work/out")"
check "json has 17-digit coefficients" 1 "$(grep -c '"coefficients": \[0.0357142857142' "$work/out")"

run fit "$work/missing.txt"
check "missing file" "The file does not exist." "$err"
check "missing file exit" 1 "$code"
run fit "$work"
check "directory" "The file does not exist." "$err"
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
run paste "$work/comma.txt" --lang ja
check "paste message in Japanese" $'クリップボードのデータが不正です.\nExcelのデータのコピーではありません.' "$err"

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
run fit --all "$work/fifty.txt" --save "$work/all.txt"
check "--all does not save" 2 "$code"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
