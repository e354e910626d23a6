#!/usr/bin/env bash
# Takes the screenshots of the user manuals from the real program: starts TAVRO_95.EXE in a Wine
# session (tools/wine-session.sh), works it with xdotool like a user and crops each view into
# docs/images/<lang>/*.png.
#
#   tools/take-screenshots.sh [--lang en|ja|all] [--build DIR] [--out DIR]
#
#   --lang    which set to take (default all: English, then Japanese)
#   --build   Windows build directory with src/app/TAVRO_95.EXE (default build/win)
#   --out     where the <lang>/ folders go (default docs/images)
#
# The views: start, grid, fit-dialog, equation, graph-dialog, graph, about, column-dialog.
# A view that cannot be reached is reported and the others are still taken; the exit code is
# then 1. Needs xdotool, xclip and ImageMagick (tools/setup-deps.sh).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# ---- Outside the session: one Wine session per language ------------------------------------
if [ "${1:-}" != --inside ]; then
  LANGS="en ja"
  BUILD="$ROOT/build/win"
  OUT="$ROOT/docs/images"
  while [ $# -gt 0 ]; do
    case "$1" in
      --lang) LANGS="$2"; [ "$LANGS" = all ] && LANGS="en ja"; shift 2 ;;
      --build) BUILD="$2"; shift 2 ;;
      --out) OUT="$2"; shift 2 ;;
      -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
      *) echo "take-screenshots.sh: unknown option $1" >&2; exit 2 ;;
    esac
  done
  for tool in xdotool xclip import convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "take-screenshots.sh: $tool is missing (tools/setup-deps.sh)" >&2; exit 2; }
  done
  BUILD="$(cd "$BUILD" && pwd)"
  [ -f "$BUILD/src/app/TAVRO_95.EXE" ] || { echo "take-screenshots.sh: $BUILD/src/app/TAVRO_95.EXE not built" >&2; exit 2; }
  mkdir -p "$OUT"
  OUT="$(cd "$OUT" && pwd)"
  status=0
  for lang in $LANGS; do
    case "$lang" in en|ja) ;; *) echo "take-screenshots.sh: --lang en, ja or all" >&2; exit 2 ;; esac
    prefix="$ROOT/build/wineprefix-shots"
    [ "$lang" = ja ] && prefix="$prefix-ja"
    mkdir -p "$OUT/$lang"
    "$ROOT/tools/wine-session.sh" --lang "$lang" --prefix "$prefix" --build "$BUILD" -- \
      bash "$0" --inside "$lang" "$BUILD/src/app/TAVRO_95.EXE" "$OUT/$lang" || status=1
  done
  exit $status
fi

# ---- Inside the session ----------------------------------------------------------------------
LANG_CHOICE="$2"
EXE="$3"
DEST="$4"
WORK="$(mktemp -d)"
PROGRAM_PID=""
FAILED=()

cleanup() {
  [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# Wine draws the frame of its windows itself (no window manager): the X window of a top-level
# window is the whole window, and its client area starts below the 3-pixel frame and the
# 19-pixel caption.
CLIENT_X=3
CLIENT_Y=22
# Tool bar buttons: 32 pixels wide from x = 16 (Input Data), in tool bar order.
declare -A BUTTON=([input]=1 [read]=2 [paste]=3 [analysis]=4 [save]=5 [draw]=6 [copy]=7 [savegraph]=8
                   [about]=9 [help]=10 [exit]=11)

note() { echo "take-screenshots.sh [$LANG_CHOICE]: $*" >&2; }

visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort -n || true; }

# Waits until a visible window that is not in the list $1 shows up; prints its id.
wait_new_window() {
  local before="$1" tries w
  for tries in $(seq 1 100); do
    for w in $(visible_windows); do
      if ! grep -qx "$w" <<<"$before"; then
        echo "$w"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# Waits until window $1 is gone (closed dialog).
wait_gone() {
  local tries
  for tries in $(seq 1 100); do
    visible_windows | grep -qx "$1" || return 0
    sleep 0.1
  done
  return 1
}

# Clicks at client coordinates (x, y) of the main window.
click_client() { xdotool mousemove --window "$MAIN" $((CLIENT_X + $1)) $((CLIENT_Y + $2)) click 1; }

click_button() { click_client $((16 + 32 * (BUTTON[$1] - 1) + 16)) 10; }

# Clicks at a point of a dialog given in dialog units: the dialog's client area maps its template
# size ($4 x $5 units) onto its pixels.
click_dialog_units() {
  local dialog="$1" ux="$2" uy="$3" uw="$4" uh="$5"
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  local cw=$((WIDTH - 2 * CLIENT_X)) ch=$((HEIGHT - CLIENT_Y - CLIENT_X))
  xdotool mousemove --window "$dialog" $((CLIENT_X + ux * cw / uw)) $((CLIENT_Y + uy * ch / uh)) click 1
}

# Moves the mouse onto an empty part of the main window, which takes a hover label away, and
# then off the window.
park_mouse() {
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$MAIN")"
  xdotool mousemove --window "$MAIN" $((WIDTH - 12)) $((HEIGHT - 8))
  sleep 0.3
  xdotool mousemove 1 1
  sleep 0.4
}

# shoot NAME WINDOW...: saves the box around the windows as $DEST/NAME.png.
shoot() {
  local name="$1"
  shift
  local left=100000 top=100000 right=0 bottom=0 w WIDTH HEIGHT X Y SCREEN WINDOW
  for w in "$@"; do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$X" -lt "$left" ] && left=$X
    [ "$Y" -lt "$top" ] && top=$Y
    [ $((X + WIDTH)) -gt "$right" ] && right=$((X + WIDTH))
    [ $((Y + HEIGHT)) -gt "$bottom" ] && bottom=$((Y + HEIGHT))
  done
  sleep 0.5
  import -window root "$WORK/root.png"
  # No time stamps in the files: the same picture gives the same bytes.
  convert "$WORK/root.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage -strip \
    -define png:exclude-chunks=date,time "$DEST/$name.png"
  note "saved $name.png ($((right - left))x$((bottom - top)))"
}

failed() {
  note "could not take $1: $2"
  FAILED+=("$1")
}

# Closes a dialog with Enter (its default button) and waits until it has gone.
press_enter_in() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool key Return
  wait_gone "$1"
}

# Widths of the dialog templates in dialog units (the Japanese ones are narrower).
FIT_UNITS=145
GRAPH_UNITS=145
if [ "$LANG_CHOICE" = ja ]; then
  FIT_UNITS=140
  GRAPH_UNITS=140
fi

# Types the data lines of a file into the cells of pairs 1, 2, ... (left group of the grid). The
# grid's rows are RowHeight apart, one row below the heading row at RowHeight + 20; the window's
# client height is 20 + 18 RowHeight.
type_pairs() {
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$MAIN")"
  local row_height=$(((HEIGHT - CLIENT_Y - CLIENT_X - 20) / 18))
  local k=0 x y top
  while read -r x y; do
    k=$((k + 1))
    top=$((row_height + 20 + k * row_height + row_height / 2))
    click_client 55 "$top"
    xdotool type --delay 30 "$x"
    click_client 155 "$top"
    xdotool type --delay 30 "$y"
  done < <(tr -d '\r' <"$1" | grep -E '^-?[0-9.]+[[:blank:],]+-?[0-9.]+$' | tr ',\t' '  ' | head -15)
}

# ---- The session's data: the manuals' example file and a three-column spreadsheet block ----
DATA_FILE="$ROOT/docs/shots/heating.txt"
SHEET_FILE="$ROOT/docs/shots/sheet.txt"

before="$(visible_windows)"
wine "$EXE" >/dev/null 2>&1 &
PROGRAM_PID=$!
MAIN="$(wait_new_window "$before")" || { note "the program did not open its window"; exit 1; }
sleep 1.5
park_mouse
shoot start "$MAIN"

# Input Data, then the example file's pairs typed into the cells, as a user would.
click_button input
sleep 1
type_pairs "$DATA_FILE"
sleep 0.5
park_mouse
shoot grid "$MAIN"

# Analysis: degree 3, 3 digits.
before="$(visible_windows)"
click_button analysis
if dialog="$(wait_new_window "$before")"; then
  sleep 0.8
  click_dialog_units "$dialog" 30 92 "$FIT_UNITS" 110   # the degree field
  # Select the proposed degree and type over it in one change, so the field never runs empty.
  xdotool key End shift+Home
  xdotool type --delay 50 "3"
  click_dialog_units "$dialog" 27 25 "$FIT_UNITS" 110   # digits 3
  sleep 0.5
  shoot fit-dialog "$dialog"
  press_enter_in "$dialog" || failed equation "the fit dialog stayed open"
  sleep 1
  park_mouse
  shoot equation "$MAIN"
else
  failed fit-dialog "Analysis opened no dialog"
fi

# Draw Graph: line 2, dot 9, 100 %, grid.
before="$(visible_windows)"
click_button draw
if dialog="$(wait_new_window "$before")"; then
  sleep 0.8
  click_dialog_units "$dialog" 50 25 "$GRAPH_UNITS" 172    # line thickness 2
  click_dialog_units "$dialog" 73 60 "$GRAPH_UNITS" 172    # dot size 9
  click_dialog_units "$dialog" 27 95 "$GRAPH_UNITS" 172    # 100 %
  click_dialog_units "$dialog" 103 130 "$GRAPH_UNITS" 172  # grid
  sleep 0.5
  shoot graph-dialog "$dialog"
  press_enter_in "$dialog" || failed graph "the graph dialog stayed open"
  sleep 1.5
  park_mouse
  shoot graph "$MAIN"
else
  failed graph-dialog "Draw Graph opened no dialog"
fi

# About.
before="$(visible_windows)"
click_button about
if dialog="$(wait_new_window "$before")"; then
  sleep 0.8
  shoot about "$dialog"
  press_enter_in "$dialog" || failed about "the About dialog stayed open"
else
  failed about "About opened no dialog"
fi

# Input Data (answering Yes to its question), then Paste Data of a three-column block.
before="$(visible_windows)"
click_button input
if box="$(wait_new_window "$before")"; then
  sleep 0.5
  press_enter_in "$box" || true
fi
sleep 1
tr -d '\r' <"$SHEET_FILE" | xclip -selection clipboard -i
sleep 0.5
before="$(visible_windows)"
click_button paste
if dialog="$(wait_new_window "$before")"; then
  sleep 0.8
  shoot column-dialog "$dialog"
  press_enter_in "$dialog" || failed column-dialog "the column dialog stayed open"
else
  failed column-dialog "Paste Data opened no column dialog"
fi

click_button exit
for tries in $(seq 1 50); do
  kill -0 "$PROGRAM_PID" 2>/dev/null || break
  sleep 0.2
done

if [ ${#FAILED[@]} -gt 0 ]; then
  note "not taken: ${FAILED[*]}"
  exit 1
fi
note "all views taken"
