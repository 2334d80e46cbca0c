#!/bin/sh
# Checks a built Windows file: a 32-bit GUI or console program whose imports are all DLLs that
# Windows itself has (so it runs from the zip with nothing installed), or a resource library
# that holds nothing that could run when it is loaded (no entry point, no imports). A GUI
# program's manifest must name the Windows versions from Vista to 11 (no compatibility shims),
# ask for DPI awareness per monitor with the system's as the fallback, and take long paths.
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
if [ "$want" = GUI ]; then
    for part in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
        4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
        8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a '2005/WindowsSettings">true</dpiAware>' \
        '2016/WindowsSettings">PerMonitorV2, System</dpiAwareness>' \
        '2016/WindowsSettings">true</longPathAware>'; do
        grep -qF "$part" "$1" || { echo "the manifest lacks $part" >&2; exit 1; }
    done
fi
for dll in $dlls; do
    case "$allowed" in *" $dll "*) ;; *) echo "not a system DLL: $dll" >&2; exit 1 ;; esac
done
