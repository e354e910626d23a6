#!/usr/bin/env bash
# Runs a command (the end-to-end driver under Wine) with a small full disk: a 64 KB tmpfs
# holding old.txt and old.bmp, the rest taken by a filler file. Its Linux path goes to the
# command in PLORIMET_FULL_DIR; the driver reaches it through Wine's Z: drive. Mounting needs
# root: otherwise it says that the full-disk steps are skipped and runs the command anyway.
#   with_full_disk.sh command [args...]
set -u
work="$(mktemp -d)"
full="$work/full"
cleanup() {
  if mountpoint -q "$full" 2>/dev/null; then umount "$full" || umount -l "$full"; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir "$full"
if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=64k plorimet-full "$full" 2>/dev/null; then
  printf '     X  \t     Y  \r\n     1  \t     2  \r\n' >"$full/old.txt"
  printf 'BM an old graph' >"$full/old.bmp"
  head -c 1M /dev/zero >"$full/filler" 2>/dev/null
  export PLORIMET_FULL_DIR="$full"
  echo "# full disk: $(df -k --output=avail "$full" | tail -1 | tr -d ' ') KB free at $full"
else
  echo "skipped: the full-disk saves need root to mount a tmpfs"
fi
"$@"
