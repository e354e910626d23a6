#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages Plorimet needs (sudo when not root).
#
#   tools/setup-deps.sh run    what building and running the window needs (tools/run.sh)
#   tools/setup-deps.sh test   that and what only the tests need (tools/test.sh; the default)
#   tools/setup-deps.sh web    what building the page needs (tools/run.sh --web)
#   tools/setup-deps.sh python what building and using the Python module needs (tools/run.sh --python)
set -euo pipefail

# Building the window and the command-line tool, running it under Wine, and the manuals Help opens;
# the plot's PNG fonts are cut from two Debian fonts at build time (python3-fonttools).
run_packages=(
  cmake g++ make pkg-config libboost-dev libfast-float-dev libfmt-dev libstb-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine x11-utils xdg-utils fonts-ipafont-gothic ruby-asciidoctor-pdf
  python3-fonttools fonts-dejavu-core fonts-droid-fallback
)
# Only the tests: GoogleTest and benchmarks, sanitizers and fuzzing (clang), the headless X
# server and its input and screenshot tools, the output checkers, the page's toolchain and its
# browser, the peers the fit is measured against and the statistics' high-precision reference;
# the Python module's headers, its tests and Dask with its local cluster.
test_packages=(
  python3 googletest libgtest-dev libbenchmark-dev clang libclang-rt-dev
  xvfb xauth imagemagick fonts-dejavu-core python3-pil python3-numpy python3-mpmath python3-statsmodels chromium
  poppler-utils xdotool xclip unzip emscripten node-acorn
  pybind11-dev python3-dev python3-pytest python3-dask python3-distributed python3-pandas python3-setuptools python3-venv
)
# npm for the page's test packages: Debian's, unless a Node.js with its own npm is there already
# (Debian's npm package cannot be installed beside that one).
command -v npm >/dev/null 2>&1 || test_packages+=(npm)

# Building the page alone: emscripten, the header-only libraries the portable code uses, the plot's
# fonts and asciidoctor for the manuals the page's Help shows.
web_packages=(cmake make python3 libboost-dev libfast-float-dev libfmt-dev libstb-dev emscripten node-acorn
  python3-fonttools fonts-dejavu-core fonts-droid-fallback ruby-asciidoctor)

# The Python module: the core's build, pybind11 and Debian's Python with numpy, Dask and pandas.
python_packages=(cmake g++ make libboost-dev libfast-float-dev libfmt-dev libstb-dev
  python3-fonttools fonts-dejavu-core fonts-droid-fallback
  pybind11-dev python3-dev python3-numpy python3-dask python3-distributed python3-pandas)

case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  web) packages=("${web_packages[@]}") ;;
  python) packages=("${python_packages[@]}") ;;
  *) echo "usage: tools/setup-deps.sh [run|test|web|python]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
