#!/usr/bin/env bash
# Checks the release zip as a user gets it: unpacks it into a fresh folder whose name holds a
# space, checks the files, then runs the program from there under Wine (English and Japanese),
# with the desktop stand-in from the zip: the program starts, Help opens the manual of its
# language from the program's own folder, Help without the manual reports it, and Exit ends the
# program with exit code 0.
#
#   tests/release/check-release.sh ZIP
#
# Prints "ok ..." or "FAIL ..." per check and "N passed, M failed" last; exit code 1 on failure.
# Needs wine, xdotool and unzip (tools/setup-deps.sh). Wine prefixes: build/wineprefix-release[-ja].
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# ---- Inside a Wine session: one language -----------------------------------------------------
if [ "${1:-}" = --inside ]; then
  LANG_CHOICE="$2"
  APP="$3"      # the unpacked release
  RECORD="$4"   # file the stand-in PDF viewer writes the opened path to
  RESULTS="$5"  # lines "ok ..." / "FAIL ..." for the outer script
  manual=TAVRO_E.PDF
  [ "$LANG_CHOICE" = ja ] && manual=TAVRO_J.PDF
  result() { echo "$1 [$LANG_CHOICE] $2" >>"$RESULTS"; }

  # A PDF "viewer" that only notes what it was asked to open.
  wine reg add 'HKLM\Software\Classes\.pdf' /ve /d PlorimetCheck.Pdf /f >/dev/null 2>&1
  wine reg add 'HKLM\Software\Classes\PlorimetCheck.Pdf\shell\open\command' /ve \
    /d "cmd.exe /c echo %1> Z:${RECORD//\//\\}" /f >/dev/null 2>&1

  cd "$APP" || exit 1
  if [ "$LANG_CHOICE" = en ]; then
    # The command-line tool from the unpacked folder.
    printf '0 1\r\n1 3\r\n2 5\r\n3 7\r\n' >"$RECORD.data"
    cli_out="$(wine plorimet.exe fit "Z:${RECORD//\//\\}.data" --degree 1 2>/dev/null | tr -d '\r')"
    if grep -q '^Y = 1\*X^0  +  2\*X^1$' <<<"$cli_out"; then
      result ok "plorimet.exe fits from the unpacked folder"
    else
      result FAIL "plorimet.exe printed '$cli_out'"
    fi
  fi

  wine desktop_standin.exe >/dev/null 2>&1 &
  STANDIN_PID=$!
  if wine desktop_standin.exe --wait >/dev/null 2>&1; then
    result ok "the desktop stand-in from the zip comes up"
  else
    result FAIL "the desktop stand-in from the zip did not come up"
  fi

  PROGRAM_PID=""
  MAIN=""
  start_program() {
    wine TAVRO_95.EXE >/dev/null 2>&1 &
    PROGRAM_PID=$!
    MAIN=""
    local tries
    for tries in $(seq 1 150); do
      MAIN="$(xdotool search --onlyvisible --name '^Plorimet$' 2>/dev/null | head -1)"
      [ -n "$MAIN" ] && return 0
      sleep 0.2
    done
    return 1
  }
  # Tool bar button k (1 = Input Data ... 10 = Help, 11 = Exit): 32 pixels wide from x = 16 of
  # the client area, which starts below Wine's 3-pixel frame and 19-pixel caption.
  click_button() { xdotool mousemove --window "$MAIN" $((3 + 16 + 32 * ($1 - 1) + 16)) $((22 + 10)) click 1; }
  visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort -n || true; }
  # Exit; EXIT_CODE becomes the program's exit code, or "none" when it did not end within 20 s.
  EXIT_CODE=none
  exit_program() {
    click_button 11
    local tries
    EXIT_CODE=none
    for tries in $(seq 1 100); do
      if ! kill -0 "$PROGRAM_PID" 2>/dev/null; then
        wait "$PROGRAM_PID"
        EXIT_CODE=$?
        return
      fi
      sleep 0.2
    done
    kill "$PROGRAM_PID" 2>/dev/null
  }

  # 1. Start, Help with the manual beside the program, Exit.
  rm -f "$RECORD"
  if start_program; then
    result ok "TAVRO_95.EXE starts from the unpacked folder"
    sleep 1
    click_button 10
    for tries in $(seq 1 100); do
      [ -s "$RECORD" ] && break
      sleep 0.2
    done
    opened=""
    [ -f "$RECORD" ] && opened="$(tr -d '\r' <"$RECORD")"
    expected="Z:${APP//\//\\}\\$manual"
    if [ "${opened,,}" = "${expected,,}" ] || [ "${opened,,}" = "\"${expected,,}\"" ]; then
      result ok "Help opens $manual beside the program"
    else
      result FAIL "Help opened '${opened:-nothing}', expected '$expected'"
    fi
    exit_program
    if [ "$EXIT_CODE" = 0 ]; then
      result ok "Exit ends the program with exit code 0"
    else
      result FAIL "Exit: program exit code $EXIT_CODE"
    fi
  else
    result FAIL "TAVRO_95.EXE did not open its window"
    kill "$PROGRAM_PID" 2>/dev/null
  fi

  # 2. Help without the manual: a message, no viewer.
  mv "$APP/$manual" "$APP/$manual.away"
  rm -f "$RECORD"
  if start_program; then
    sleep 1
    before="$(visible_windows)"
    click_button 10
    box=""
    for tries in $(seq 1 50); do
      for w in $(visible_windows); do
        grep -qx "$w" <<<"$before" || box="$w"
      done
      [ -n "$box" ] && break
      sleep 0.2
    done
    if [ -n "$box" ] && [ ! -e "$RECORD" ]; then
      result ok "Help without $manual shows a message ($(xdotool getwindowname "$box")) and opens nothing"
      xdotool key Return
      sleep 1
    else
      result FAIL "Help without $manual: message window ${box:-none}, viewer record $( [ -e "$RECORD" ] && echo present || echo absent)"
    fi
    exit_program
    [ "$EXIT_CODE" = 0 ] || result FAIL "Exit after the message: program exit code $EXIT_CODE"
  else
    result FAIL "TAVRO_95.EXE did not open its window (second start)"
  fi
  mv "$APP/$manual.away" "$APP/$manual"

  wine desktop_standin.exe --stop >/dev/null 2>&1
  wait "$STANDIN_PID" 2>/dev/null
  exit 0
fi

# ---- Outside: the files, then one Wine session per language -------------------------------------
[ $# -eq 1 ] || { echo "usage: $0 ZIP" >&2; exit 2; }
ZIP="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
for tool in unzip wine xdotool; do
  command -v "$tool" >/dev/null 2>&1 || { echo "check-release.sh: $tool is missing (tools/setup-deps.sh)" >&2; exit 2; }
done

PASSED=0
FAILED=0
pass() { PASSED=$((PASSED + 1)); echo "ok $*"; }
fail() { FAILED=$((FAILED + 1)); echo "FAIL $*"; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
APP="$WORK/Plorimet release"
mkdir -p "$APP"

if [ ! -s "$ZIP" ]; then
  fail "$ZIP is missing"
  echo "$PASSED passed, $FAILED failed"
  exit 1
fi
expected="LICENSE.txt README.txt TAVRO_95.EXE TAVRO_E.PDF TAVRO_J.PDF desktop_standin.exe plorimet.exe plorimet.html"
listed="$(unzip -Z1 "$ZIP" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
if [ "$listed" = "$expected" ]; then
  pass "the zip holds exactly: $expected"
else
  fail "the zip holds '$listed', expected '$expected'"
fi
unzip -q "$ZIP" -d "$APP" || fail "unzip failed"

for f in README.txt LICENSE.txt; do
  if [ -s "$APP/$f" ] && ! grep -q $'[^\r]$' "$APP/$f" && ! grep -q $'^$' "$APP/$f"; then
    pass "$f ends every line in CR LF"
  else
    fail "$f: missing, or a line without CR LF"
  fi
done
for f in TAVRO_95.EXE plorimet.exe desktop_standin.exe; do
  if [ "$(head -c 2 "$APP/$f" 2>/dev/null)" = MZ ]; then pass "$f is a Windows program"; else fail "$f is not a Windows program"; fi
done
for f in TAVRO_E.PDF TAVRO_J.PDF; do
  if [ "$(head -c 5 "$APP/$f" 2>/dev/null)" = %PDF- ]; then pass "$f is a PDF document"; else fail "$f is not a PDF document"; fi
done
if cmp -s <(tr -d '\r' <"$APP/LICENSE.txt") "$ROOT/LICENSE" 2>/dev/null; then
  pass "LICENSE.txt is the repository's LICENSE"
elif [ ! -f "$ROOT/LICENSE" ]; then
  pass "LICENSE.txt present (the repository has no LICENSE to compare)"
else
  fail "LICENSE.txt differs from the repository's LICENSE"
fi

for lang in en ja; do
  prefix="$ROOT/build/wineprefix-release"
  [ "$lang" = ja ] && prefix="$prefix-ja"
  results="$WORK/results-$lang"
  : >"$results"
  "$ROOT/tools/wine-session.sh" --lang "$lang" --prefix "$prefix" --no-standin -- \
    bash "${BASH_SOURCE[0]}" --inside "$lang" "$APP" "$WORK/opened-$lang.txt" "$results" ||
    fail "[$lang] the Wine session failed"
  while read -r state text; do
    if [ "$state" = ok ]; then pass "$text"; else fail "$text"; fi
  done <"$results"
  [ -s "$results" ] || fail "[$lang] no result from the Wine session"
done

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
