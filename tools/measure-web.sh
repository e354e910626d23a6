#!/usr/bin/env bash
# Figures of the page for the README's table: the file's size, opening it to an enabled Input
# Data button, Analysis of 45 pairs at degree 10 and 44 and Draw Graph in the page, and the
# requests it makes (none but itself), in headless Chromium.
#   RUNS   runs per figure (default 9; medians)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build-web.sh >/dev/null
cd tests/web
[ -d node_modules ] || PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
node measure.js
