#!/bin/sh
# Runs the read-only-folder test with a folder in which no file can be renamed: an immutable
# folder (chattr +i) when running as root, whom permissions do not stop, else one without write
# permission. Without either the test reports itself skipped.
# Usage: locked_folder.sh <wine-run.sh> <test program> <sample raw file>
set -u
dir="$(mktemp -d)"
cp "$3" "$dir/ABCD0861.RVX"
if [ "$(id -u)" = 0 ]; then
    chattr +i "$dir" 2>/dev/null && export RVX_LOCKED_FOLDER="$dir"
else
    chmod a-w "$dir" && export RVX_LOCKED_FOLDER="$dir"
fi
"$1" "$2" --gtest_filter='ReadOnlyFolderTest.*'
rc=$?
chattr -i "$dir" 2>/dev/null
chmod u+w "$dir"
rm -rf "$dir"
exit $rc
