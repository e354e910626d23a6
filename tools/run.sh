#!/usr/bin/env bash
# Builds Plorimet and starts it.
#
#   tools/run.sh [--lang ja] [--winver OLD]
#   tools/run.sh --web
#   tools/run.sh --python
#
# Linux with a display: builds the Windows program (build/win) and runs it under Wine on
# that display, with the desktop stand-in the program needs. Without a display: says so and
# runs the native command-line tool on the sample data instead. Windows (MSYS, Git Bash):
# starts the built TAVRO_95.EXE.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
WIN_BUILD=build/win
NATIVE_BUILD=build/native

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    exe="$WIN_BUILD/src/app/TAVRO_95.EXE"
    if [ ! -f "$exe" ]; then
      echo "Build the program first, for example:"
      echo "  cmake -S . -B $WIN_BUILD -G \"MinGW Makefiles\" && cmake --build $WIN_BUILD --target TAVRO_95"
      exit 1
    fi
    echo "Starting $exe"
    exec "$exe"
    ;;
esac

# The page: builds build/web/plorimet.html and says how to open it.
if [ "${1:-}" = "--web" ]; then
  tools/setup-deps.sh web
  tools/build-web.sh
  echo "Open the page in a browser (it needs no server and works offline):"
  echo "  file://$ROOT/build/web/plorimet.html      (add ?lang=ja or ?lang=en to choose the language)"
  echo "or serve the folder, for example:  python3 -m http.server -d build/web 8000"
  echo "  and open http://127.0.0.1:8000/plorimet.html"
  exit 0
fi

# The Python module: builds build/native/python/plorimet and says how to import it.
if [ "${1:-}" = "--python" ]; then
  tools/setup-deps.sh python
  cmake -S . -B "$NATIVE_BUILD" -DPLORIMET_TESTS=OFF -DPLORIMET_PYTHON=ON >/dev/null
  cmake --build "$NATIVE_BUILD" -j2 --target plorimet_python
  echo "The module is in $ROOT/$NATIVE_BUILD/python. Import it with Debian's Python:"
  echo "  PYTHONPATH=$ROOT/$NATIVE_BUILD/python /usr/bin/python3 -c 'import plorimet; print(plorimet.polyfit([0, 1, 2, 3], [1, 3, 7, 13], 2))'"
  exit 0
fi

tools/setup-deps.sh run

# Only what the window needs: the program, the desktop stand-in and the manuals Help opens.
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cmake -S . -B "$WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DPLORIMET_TESTS=OFF >/dev/null
  cmake --build "$WIN_BUILD" -j"$(nproc)" --target TAVRO_95 desktop_standin manuals
  exec tools/wine-session.sh --display --build "$WIN_BUILD" "$@" -- wine "$WIN_BUILD/src/app/TAVRO_95.EXE"
fi

echo "No display (DISPLAY is not set or does not answer): the window cannot be shown here."
echo "Running the command-line tool on the sample data instead:"
echo "  $NATIVE_BUILD/tools/plorimet fit examples/sample.txt"
cmake -S . -B "$NATIVE_BUILD" -DPLORIMET_TESTS=OFF >/dev/null
cmake --build "$NATIVE_BUILD" -j"$(nproc)" --target plorimet
exec "$NATIVE_BUILD/tools/plorimet" fit examples/sample.txt
