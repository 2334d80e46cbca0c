#!/bin/sh
# Builds the Windows Installer package from the wixl source, then sets the conditions that
# wixl cannot write: the file type goes into the user's own classes for a per-user install and
# into the machine's for a per-machine one.
# Usage: build-msi.sh <RVXTOOL.wxs> <out.msi> <version> <product code> <folder of the files> <x86|x64>
set -eu
wxs="$1" out="$2" version="$3" code="$4" source="$5" arch="$6"
rm -f "$out"
# wixl takes the files' paths relative to the folder it runs in.
if [ "$arch" = x64 ]; then win64=yes; else win64=no; fi
(cd "$source" && wixl -a "$arch" -D Version="$version" -D ProductCode="$code" -D Source=. -D Win64=$win64 \
    -o "$out" "$wxs")
msibuild "$out" \
    -q "UPDATE Component SET Condition='NOT (ALLUSERS = 1)' WHERE Component='FileTypeUser'" \
    -q "UPDATE Component SET Condition='ALLUSERS = 1' WHERE Component='FileTypeMachine'"
