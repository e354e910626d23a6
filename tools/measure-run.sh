#!/usr/bin/env bash
# Times what tools/run.sh does on a machine that has the packages: the Windows build of the
# program, the desktop stand-in and the manuals in a fresh build directory, then the first start
# in a fresh display prefix up to the program's window, and a start in the prepared prefix.
# The display is $DISPLAY, or a private Xvfb (the window is then unmanaged, as on a desktop
# without a window manager). Leaves nothing behind. Needs xdotool (tools/setup-deps.sh test).
#
#   tools/measure-run.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
WORK="$(mktemp -d "$ROOT/build/measure-run.XXXXXX")"
XVFB_PID=""
cleanup() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
  XVFB_PID=$!
  until [ -s "$WORK/display" ]; do sleep 0.05; done
  export DISPLAY=":$(tr -d '[:space:]' <"$WORK/display")"
fi

start="$(now)"
cmake -S . -B "$WORK/win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DPLORIMET_TESTS=OFF >/dev/null
cmake --build "$WORK/win" -j"$(nproc)" --target TAVRO_95 desktop_standin manuals >/dev/null
built="$(now)"
echo "build (configure, program, stand-in, manuals; $(nproc) jobs): $(seconds "$start" "$built") s"

# One start: the session up to the program's window, then the program closed and the session ended.
start_to_window() {
  local begin shown
  begin="$(now)"
  tools/wine-session.sh --display --prefix "$WORK/prefix" --build "$WORK/win" -- \
    wine "$WORK/win/src/app/TAVRO_95.EXE" >/dev/null 2>&1 &
  local session=$!
  until xdotool search --onlyvisible --name '^Plorimet$' >/dev/null 2>&1; do
    kill -0 "$session" 2>/dev/null || { echo "measure-run.sh: the session ended without a window" >&2; exit 1; }
    sleep 0.05
  done
  shown="$(now)"
  WINEPREFIX="$WORK/prefix" wineserver -k
  wait "$session" || true
  echo "$1: $(seconds "$begin" "$shown") s"
}
start_to_window "first start to the window (fresh prefix)"
start_to_window "start to the window (prefix there)"
