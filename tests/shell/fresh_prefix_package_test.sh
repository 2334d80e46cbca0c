#!/bin/sh
# Unpacks RVXTOOL-win32.zip into an empty folder of a brand-new Wine prefix and runs the
# package check of the shell test program against it there: the three files must be enough.
# Usage: fresh_prefix_package_test.sh <zip> <sample raw file> <shell_tests.exe> <scratch folder>
set -u
zip="$1" sample="$2" tests="$3" work="$4"

fail() { echo "fresh-prefix package test: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/package" || fail "cannot make $work"
(cd "$work/package" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
for f in RVXTOOL.exe LangDll.dll STATION.ico README.txt; do
    [ -f "$work/package/$f" ] || fail "$f is missing from the package"
done
cp "$sample" "$work/package/" || fail "cannot copy the sample"

export WINEPREFIX="$work/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
export RVX_PACKAGE_DIR="$work/package"

timeout -k 10 300 wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot failed (see $work/wineboot.log)"
timeout -k 10 120 wineserver -w
timeout -k 10 180 wine "$tests" --gtest_filter='Package.*' >"$work/run.log" 2>&1
rc=$?
timeout -k 10 60 wineserver -k >/dev/null 2>&1
cat "$work/run.log"
[ $rc -eq 0 ] || fail "the package check failed (exit $rc)"
grep -q '\[  PASSED  \] 1 test' "$work/run.log" || fail "the package check did not run"
rm -rf "$work"
