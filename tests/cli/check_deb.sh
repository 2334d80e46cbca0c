#!/bin/sh
# Checks the manual page, then the Debian package scripts/package-deb.sh made: its files, that
# lintian finds nothing in it, that its program runs without the test build's sanitizers, and
# its manual page is the source's.
# Usage: check_deb.sh SOURCE_DIR VERSION    (exit 77, skipped, when the package is not built)
set -eu
warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l - \
    < "$1/cli/rvxedit.1" 2>&1 >/dev/null; groff -ww -man -z "$1/cli/rvxedit.1" 2>&1)"
[ -z "$warnings" ] || { echo "manual page: $warnings"; exit 1; }
deb="$1/build/deb/rvxedit_$2_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "no $deb: run scripts/package-deb.sh"; exit 77; }
files="$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | tr '\n' ' ')"
[ "$files" = "./usr/bin/rvxedit ./usr/share/doc/rvxedit/changelog.gz \
./usr/share/doc/rvxedit/copyright ./usr/share/man/man1/rvxedit.1.gz " ] || { echo "files: $files"; exit 1; }
tags="$(lintian "$deb" 2>&1 | grep -v '^running with root privileges')" || true
[ -z "$tags" ] || { echo "lintian: $tags"; exit 1; }
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
dpkg-deb -x "$deb" "$dir"
[ "$("$dir/usr/bin/rvxedit" --version)" = "rvxedit $2" ] || { echo "rvxedit does not run"; exit 1; }
! readelf -d "$dir/usr/bin/rvxedit" | grep -q 'asan\|ubsan' || { echo "sanitizers built in"; exit 1; }
zcat "$dir/usr/share/man/man1/rvxedit.1.gz" | cmp - "$1/cli/rvxedit.1"
echo "manual page and $deb: good"
