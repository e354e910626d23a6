#!/usr/bin/env bash
# Random user actions on the program under Wine: tools/monkey.sh [ACTIONS] [SEED]
# (default 10000 actions, seed 1). The same seed replays the same actions. Run as root, the
# saves also meet a small full disk (a tmpfs mounted for the run). Builds the Windows build
# first when it is missing; runs in a Wine prefix of its own (build/wineprefix-monkey), so it
# can run beside other Wine sessions. Prints the figures as "measure monkey ..." lines.
set -euo pipefail
cd "$(dirname "$0")/.."
actions=${1:-10000}
seed=${2:-1}
build=${PLORIMET_WIN_BUILD:-build/win}
if [ ! -f "$build/tests/e2e/driver.exe" ] || [ ! -f "$build/src/app/TAVRO_95.EXE" ]; then
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  nice cmake --build "$build" -j2 --target e2e_driver TAVRO_95 desktop_standin
fi
exec tools/wine-session.sh --prefix build/wineprefix-monkey --build "$build" -- \
  bash tests/e2e/with_full_disk.sh wine "$build/tests/e2e/driver.exe" monkey "$build/src/app/TAVRO_95.EXE" \
  "$actions" "$seed"
