#!/bin/sh
# Checks that the English resource library holds nothing that could run when it is loaded: a DLL
# without an entry point and without imports.
# Usage: check_lang_library.sh <LangDll.dll>
set -eu
headers="$(i686-w64-mingw32-objdump -p "$1")"
echo "$headers" | grep -Eq '^[[:space:]]+DLL$' || { echo "not a DLL" >&2; exit 1; }
echo "$headers" | grep -Eq '^AddressOfEntryPoint[[:space:]]+0+$' ||
    { echo "has an entry point" >&2; exit 1; }
if echo "$headers" | grep -q 'DLL Name:'; then
    echo "imports:" >&2
    echo "$headers" | grep 'DLL Name:' >&2
    exit 1
fi
echo "ok: no entry point, no imports"
