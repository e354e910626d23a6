#!/usr/bin/env bash
# Builds everything and runs every test: the native unit and command-line tests, the unit tests
# under AddressSanitizer and UBSan, a bounded fuzzing run, and the Windows build's unit and
# end-to-end tests under Wine; the page (tools/build-web.sh) and its tests in Chromium.
#   FUZZ_SECONDS   seconds per fuzz target (default 15; 0 skips fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-15}

# Each step says when it starts, in minutes and seconds from the start of the run.
started=$SECONDS
step() { printf '\n=== %s (at %d:%02d)\n' "$*" $(((SECONDS - started) / 60)) $(((SECONDS - started) % 60)); }

step "Packages"
tools/setup-deps.sh test

step "Native build, unit tests and command-line tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DPLORIMET_TESTS=ON >/dev/null
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure -j"$jobs"

step "The page: WebAssembly build and its tests in Chromium"
tools/build-web.sh
(cd tests/web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error \
  && PLORIMET_CLI="$root/build/native/tools/plorimet" npx playwright test)

step "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DPLORIMET_SANITIZE=ON -DPLORIMET_BENCH=OFF >/dev/null
cmake --build build/asan -j"$jobs" --target unit_tests plorimet
ctest --test-dir build/asan --output-on-failure -j"$jobs"

if [ "$fuzz_seconds" -gt 0 ]; then
  step "Fuzzing every fuzz target (${fuzz_seconds} s each)"
  tools/fuzz.sh "$fuzz_seconds"
fi

step "Windows build; unit and end-to-end tests under Wine"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DPLORIMET_TESTS=ON >/dev/null
cmake --build build/win -j"$jobs"
# A test that fails is run once more: under a loaded machine Wine now and then loses a client
# of its server or a repaint; a fault of the program fails both times. Two at a time: the tests
# on the session's display take it in turn (RESOURCE_LOCK), the rest run beside them.
tools/wine-session.sh -- ctest --test-dir "$root/build/win" --output-on-failure --timeout 300 --repeat until-pass:2 -j2
step "Done"
