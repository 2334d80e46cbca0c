#!/bin/sh
# Checks that rvxedit.exe is a 32-bit console program whose imports are all DLLs that Windows
# itself has, so it runs from the zip with nothing installed.
# Usage: check_console_exe.sh <rvxedit.exe>
set -eu
exe="$1"
kind="$(file -b "$exe")"
case "$kind" in
    *"PE32 executable (console) Intel 80386"*) ;;
    *) echo "not a 32-bit console program: $kind" >&2; exit 1 ;;
esac
dlls="$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')"
[ -n "$dlls" ] || { echo "no imports found" >&2; exit 1; }
status=0
for dll in $dlls; do
    case "$(echo "$dll" | tr 'A-Z' 'a-z')" in
        kernel32.dll | msvcrt.dll | advapi32.dll | user32.dll) echo "ok: $dll" ;;
        *) echo "not a system DLL: $dll" >&2; status=1 ;;
    esac
done
exit $status
