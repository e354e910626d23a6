#!/usr/bin/env bash
# The equation copied with Ctrl+C, read from Linux through Wine's clipboard bridge: runs the
# keys scenario (which leaves the equation on the clipboard and writes what it expects into
# the shots folder), then reads the X clipboard with xclip. Wine hands text to X with LF line
# ends, so the expected CR LF become LF. Run inside a Wine session (DISPLAY of its X server).
#   check_clipboard_bridge.sh DRIVER.EXE TAVRO_95.EXE SHOTS_DIR
set -uo pipefail
[ $# -eq 3 ] || { echo "usage: $0 DRIVER.EXE TAVRO_95.EXE SHOTS_DIR" >&2; exit 2; }
command -v xclip >/dev/null || { echo "FAIL xclip is missing (package xclip)"; exit 1; }
mkdir -p "$3"
rm -f "$3/equation-clipboard.txt"
wine "$1" keys "$2" --shots "$3" || exit 1
expected="$3/equation-clipboard.txt"
[ -s "$expected" ] || { echo "FAIL the scenario wrote no expected text"; exit 1; }
got="$(mktemp)"
trap 'rm -f "$got"' EXIT
timeout 10 xclip -o -selection clipboard >"$got"
if cmp -s <(sed 's/\r$//' "$expected") "$got"; then
  echo "ok xclip reads the copied equation and its 17-digit coefficients"
  cat "$got"
else
  echo "FAIL xclip reads something else:"
  od -c "$got" | head -20
  exit 1
fi
