#!/usr/bin/env bash
# Figures of the page for the README's table: the file's size, opening it to an enabled Input
# Data button, Analysis of 45 pairs at degree 10 and 44 (OK to the equation shown, OK to the
# statistics shown, which the page's worker makes, and the longest the page left input waiting
# meanwhile), Draw Graph and the plot, Paste Data of a row of 10^5 to 16,777,200 tabs, and the
# requests it makes (none but itself), in headless Chromium.
#   RUNS   runs per figure (default 9; medians)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build-web.sh >/dev/null
cd tests/web
[ -d node_modules ] || PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
node measure.js
