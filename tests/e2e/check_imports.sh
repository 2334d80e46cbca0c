#!/bin/sh
# Checks that a Windows program is a 32-bit GUI (or console) program whose imports are all DLLs
# that Windows itself has, so it runs from the zip with nothing installed.
# Usage: check_imports.sh <program.exe> [GUI|console]
set -eu
exe="$1"
want="${2:-GUI}"
kind="$(file -b "$exe")"
case "$kind" in
    *"PE32 executable ($want) Intel 80386"*) ;;
    *) echo "not a 32-bit $want program: $kind" >&2; exit 1 ;;
esac
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
comctl32.dll comdlg32.dll msvcrt.dll shlwapi.dll"
status=0
dlls="$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')"
[ -n "$dlls" ] || { echo "no imports found" >&2; exit 1; }
for dll in $dlls; do
    lower="$(echo "$dll" | tr 'A-Z' 'a-z')"
    case " $(echo $allowed) " in
        *" $lower "*) echo "ok: $dll" ;;
        *) echo "not a system DLL: $dll" >&2; status=1 ;;
    esac
done
exit $status
