#!/usr/bin/env bash
# Help on a desktop: the program in a prefix of the kind tools/run.sh uses on a display (the
# system's .pdf association kept), with a stand-in xdg-open first on PATH that records what it
# was asked to open. Help must raise no message (the driver's help-desktop scenario), and the
# opener must get the manual of the language, beside the program. Run inside a Wine session
# (the DISPLAY of its X server, where this session's windows appear too).
#   check_help_desktop.sh en|ja DRIVER.EXE TAVRO_95.EXE BUILD_DIR PREFIX
set -uo pipefail
[ $# -eq 5 ] || { echo "usage: $0 en|ja DRIVER.EXE TAVRO_95.EXE BUILD_DIR PREFIX" >&2; exit 2; }
lang="$1" driver="$2" exe="$3" build="$4" prefix="$5"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
[ -n "${DISPLAY:-}" ] || { echo "FAIL no DISPLAY: run inside a Wine session (tools/wine-session.sh)"; exit 1; }
manual="$(dirname "$exe")/TAVRO_E.PDF"
[ "$lang" = ja ] && manual="$(dirname "$exe")/TAVRO_J.PDF"
[ -f "$manual" ] || { echo "FAIL $manual not built (cmake --build <dir> --target manuals)"; exit 1; }

opener="$(mktemp -d)"
trap 'rm -rf "$opener"' EXIT
cat >"$opener/xdg-open" <<'EOF'
#!/bin/sh
printf '%s\n' "$*" >>"$(dirname "$0")/opened"
EOF
chmod +x "$opener/xdg-open"

PATH="$opener:$PATH" "$root/tools/wine-session.sh" --display --lang "$lang" --prefix "$prefix" --build "$build" \
  -- wine "$driver" help-desktop "$exe" || exit 1

# winebrowser may still be on its way to the opener.
for tries in $(seq 1 100); do
  [ -s "$opener/opened" ] && break
  sleep 0.1
done
[ -s "$opener/opened" ] || { echo "FAIL the desktop's opener was never started"; exit 1; }
asked="$(cat "$opener/opened")"
if [ "$(wc -l <"$opener/opened")" -ne 1 ]; then
  echo "FAIL the opener was started more than once: $asked"
  exit 1
fi
# A file: URL with %XX escapes, or a plain path.
path="${asked#file://}"
path="$(printf '%b' "${path//%/\\x}")"
if [ "$path" -ef "$manual" ]; then
  echo "ok Help handed the desktop's opener $(basename "$manual") ($asked)"
else
  echo "FAIL the opener was asked for '$asked', not $manual"
  exit 1
fi
