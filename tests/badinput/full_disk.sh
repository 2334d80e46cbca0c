#!/bin/sh
# Runs the full-disk test on a small tmpfs mounted for it (root only; otherwise the test reports
# itself skipped). Usage: full_disk.sh <wine-run.sh> <test program>
set -u
dir="$(mktemp -d)"
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=1m rvxfull "$dir" 2>/dev/null; then
    export RVX_FULL_FOLDER="$dir"
fi
"$1" "$2" --gtest_filter='FullDiskTest.*'
rc=$?
if [ -n "${RVX_FULL_FOLDER:-}" ]; then
    umount "$dir"
fi
rmdir "$dir"
exit $rc
