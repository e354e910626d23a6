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

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
