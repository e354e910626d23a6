#!/usr/bin/env bash
# Builds everything and runs every test: the native unit and command-line tests, the unit tests
# under AddressSanitizer and UBSan, a bounded fuzzing run, and the Windows build's unit and
# end-to-end tests under Wine; the page (tools/build-web.sh) and its tests in Chromium.
#   FUZZ_SECONDS   seconds per fuzz target (default 30; 0 skips fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-30}

step() { printf '\n=== %s\n' "$*"; }

step "Packages"
tools/setup-deps.sh test

step "Native build, unit tests and command-line tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DPLORIMET_TESTS=ON >/dev/null
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure

step "The page: WebAssembly build and its tests in Chromium"
tools/build-web.sh
(cd tests/web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error \
  && PLORIMET_CLI="$root/build/native/tools/plorimet" npx playwright test)

step "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DPLORIMET_SANITIZE=ON -DPLORIMET_BENCH=OFF >/dev/null
cmake --build build/asan -j"$jobs" --target unit_tests plorimet
ctest --test-dir build/asan --output-on-failure

if [ "$fuzz_seconds" -gt 0 ]; then
  step "Fuzzing every fuzz target (${fuzz_seconds} s each)"
  tools/fuzz.sh "$fuzz_seconds"
fi

step "Windows build; unit and end-to-end tests under Wine"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DPLORIMET_TESTS=ON >/dev/null
cmake --build build/win -j"$jobs"
# A test that fails is run once more: under a loaded machine Wine now and then loses a client
# of its server or a repaint; a fault of the program fails both times.
tools/wine-session.sh -- ctest --test-dir "$root/build/win" --output-on-failure --timeout 300 --repeat until-pass:2
