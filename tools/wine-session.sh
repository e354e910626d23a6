#!/usr/bin/env bash
# Runs one command inside a Wine session prepared for Plorimet: an X server (a private Xvfb
# unless --display), a Wine prefix set up once, and the desktop stand-in that the program
# needs at start. Ends the session (stand-in, wineserver, Xvfb) and returns the command's
# exit code.
#
#   tools/wine-session.sh [options] [--] command [args...]
#
#   --lang en|ja       ja: Japanese locale (the program sees code page 932); default en
#   --winver VERSION   Windows version Wine reports (a winecfg name such as winxp64, win2k,
#                      win7, or OLD = winxp64, whose registry version text is 5.2)
#   --display          use the caller's $DISPLAY instead of a private Xvfb (windows are then
#                      left to the desktop's window manager)
#   --prefix DIR       Wine prefix (default: build/wineprefix[-display][-ja][-<winver>])
#   --build DIR        Windows build directory holding the stand-in (default: build/win)
#   --no-standin       do not start the desktop stand-in
#
# Sessions on the same prefix wait for each other; use another prefix to run in parallel.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LANG_CHOICE=en
WINVER=""
USE_DISPLAY=0
PREFIX=""
BUILD="${PLORIMET_WIN_BUILD:-$ROOT/build/win}"
STANDIN_WANTED=1

while [ $# -gt 0 ]; do
  case "$1" in
    --lang) LANG_CHOICE="$2"; shift 2 ;;
    --winver) WINVER="$2"; shift 2 ;;
    --display) USE_DISPLAY=1; shift ;;
    --prefix) PREFIX="$2"; shift 2 ;;
    --build) BUILD="$2"; shift 2 ;;
    --no-standin) STANDIN_WANTED=0; shift ;;
    --) shift; break ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "wine-session.sh: no command given" >&2; exit 2; }
[ "$WINVER" = OLD ] && WINVER=winxp64
case "$LANG_CHOICE" in en|ja) ;; *) echo "wine-session.sh: --lang en or ja" >&2; exit 2 ;; esac

if [ "$USE_DISPLAY" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  echo "wine-session.sh: --display given but DISPLAY is not set; using a private Xvfb" >&2
  USE_DISPLAY=0
fi
if [ -z "$PREFIX" ]; then
  PREFIX="$ROOT/build/wineprefix"
  [ "$USE_DISPLAY" = 1 ] && PREFIX="$PREFIX-display"
  [ "$LANG_CHOICE" = ja ] && PREFIX="$PREFIX-ja"
  [ -n "$WINVER" ] && PREFIX="$PREFIX-$WINVER"
fi
mkdir -p "$(dirname "$PREFIX")"
PREFIX="$(cd "$(dirname "$PREFIX")" && pwd)/$(basename "$PREFIX")"
BUILD="$(cd "$BUILD" 2>/dev/null && pwd || echo "$BUILD")"
STANDIN="$BUILD/tools/desktop_standin/desktop_standin.exe"

export WINEPREFIX="$PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the code page from the locale (ja_JP gives 932) even where the system has no
# such locale installed; the shell's own complaint about that is silenced.
if [ "$LANG_CHOICE" = ja ]; then
  { export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null
else
  { export LANG=C.UTF-8 LC_ALL=C.UTF-8; } 2>/dev/null
fi

# One session per prefix at a time (one wineserver per prefix, bound to one display).
exec 9>"$PREFIX.lock"
flock 9

XVFB_PID=""
STANDIN_PID=""
finish() {
  if [ -n "$STANDIN_PID" ]; then
    wine "$STANDIN" --stop >/dev/null 2>&1 || true
    wait "$STANDIN_PID" 2>/dev/null || true
  fi
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}
trap finish EXIT
trap 'exit 130' INT TERM

# A private X server on a free display: Xvfb picks the number itself (-displayfd), so that
# sessions starting at the same moment cannot end up sharing one server.
start_xvfb() {
  local number_file tries
  number_file="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for tries in $(seq 1 200); do
    if [ -s "$number_file" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
      rm -f "$number_file"
      xdpyinfo >/dev/null 2>&1 && return 0
      break
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  rm -f "$number_file"
  echo "wine-session.sh: could not start Xvfb" >&2
  return 1
}

[ "$USE_DISPLAY" = 1 ] || start_xvfb

# The prefix: created once, then only checked. The commands that follow talk to the
# wineserver wineboot started; there is no need to wait for it to end.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-session.sh: preparing $WINEPREFIX (once)" >&2
  wineboot -i >/dev/null 2>&1 || true
fi
CONFIGURED="$WINEPREFIX/.plorimet-configured-2${WINVER:+-$WINVER}"
if [ ! -f "$CONFIGURED" ]; then
  if [ "$USE_DISPLAY" = 0 ]; then
    # Without a window manager every hidden window would cost a 2 s wait: Wine then draws
    # the frames itself. On a real desktop the window manager keeps them.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Like a system with no PDF reader: opening a .pdf fails instead of starting a browser.
    wine reg delete 'HKLM\Software\Classes\.pdf' /f >/dev/null 2>&1 || true
  else
    # On the desktop a .pdf opens as Wine sets it up: winebrowser hands it to xdg-open, which
    # starts the desktop's PDF viewer (prefixes made before kept no association).
    wine reg add 'HKLM\Software\Classes\.pdf' /ve /d pdffile /f >/dev/null 2>&1
  fi
  if [ -n "$WINVER" ]; then
    wine winecfg -v "$WINVER" >/dev/null 2>&1
  fi
  touch "$CONFIGURED"
fi
# Wine draws the caption buttons (where it draws the frames) and a few other glyphs with its
# Marlett font. Debian's Wine 8 does not find its own fonts folder (fonts-wine), and the
# buttons come out as the letters "0 1 r": the prefix gets a copy.
MARLETT="$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
if [ ! -f "$MARLETT" ]; then
  for dir in /usr/share/wine/fonts "$(dirname "$(command -v wine)")/../share/wine/fonts"; do
    if [ -f "$dir/marlett.ttf" ]; then
      cp "$dir/marlett.ttf" "$MARLETT"
      break
    fi
  done
fi

if [ "$STANDIN_WANTED" = 1 ]; then
  if [ ! -f "$STANDIN" ]; then
    echo "wine-session.sh: $STANDIN not built (cmake --build $BUILD)" >&2
    exit 2
  fi
  wine "$STANDIN" >/dev/null 2>&1 &
  STANDIN_PID=$!
  wine "$STANDIN" --wait || { echo "wine-session.sh: desktop stand-in did not come up" >&2; exit 2; }
fi

set +e
"$@"
rc=$?
set -e
exit $rc
