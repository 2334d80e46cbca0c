#!/bin/sh
# Checks a built Windows file: a 32-bit GUI or console program whose imports are all DLLs that
# Windows itself has (so it runs from the zip with nothing installed), or a resource library
# that holds nothing that could run when it is loaded (no entry point, no imports).
# Usage: check_imports.sh <file> [GUI|console|resources]
set -eu
want="${2:-GUI}"
headers="$(i686-w64-mingw32-objdump -p "$1")"
dlls="$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')"
if [ "$want" = resources ]; then
    echo "$headers" | grep -Eq '^AddressOfEntryPoint[[:space:]]+0+$' || { echo "has an entry point" >&2; exit 1; }
    [ -z "$dlls" ] || { echo "imports: $dlls" >&2; exit 1; }
    exit 0
fi
case "$(file -b "$1")" in
    *"PE32 executable ($want) Intel 80386"*) ;;
    *) echo "not a 32-bit $want program: $(file -b "$1")" >&2; exit 1 ;;
esac
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll comctl32.dll comdlg32.dll msvcrt.dll shlwapi.dll "
[ -n "$dlls" ] || { echo "no imports found" >&2; exit 1; }
for dll in $dlls; do
    case "$allowed" in *" $dll "*) ;; *) echo "not a system DLL: $dll" >&2; exit 1 ;; esac
done
