#!/bin/sh
# Starts the editor on a raw file under Wine on the current X display (Xvfb), waits for its
# dialog and saves a PNG of it.
# Usage: scripts/screenshot.sh <Windows build folder> <raw file> <out.png>
# RVX_SCREENSHOT_UI=1 takes it in English; RVX_SCREENSHOT_DPI=144 at 150 % scaling (default 96).
# Given a field log instead of a raw file, it takes the log window once the log is checked
# (RVX_SCREENSHOT_CAPTION: the start of that window's caption). RVX_SCREENSHOT_SIZE=WxH gives
# that window a size in pixels first (through the build's tests/e2e/window_size.exe).
# RVX_SCREENSHOT_HEIGHT=1600 types that height and clicks save, and takes the dialog with the
# question it asks over it.
set -eu
B="$(cd "$1" && pwd)"
RAW="$2"
OUT="$3"
[ -n "${DISPLAY:-}" ] || { echo "screenshot: no DISPLAY (run it under xvfb-run)" >&2; exit 1; }
# The prefix's architecture and Wine's loader are the build's (see its wine-run.sh).
WINEARCH="$(sed -n 's/^export WINEARCH=//p' "$B/wine-run.sh")"
WINELOADER="$(sed -n 's/^export WINELOADER=//p' "$B/wine-run.sh")"
export WINEPREFIX="$B/wineprefix" WINEARCH WINELOADER WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
wine() { "$WINELOADER" "$@"; }
"$B/wine-run.sh" --init

# Chinese dialog texts need a CJK font behind the dialog fonts: link WenQuanYi Micro Hei
# (Debian's fonts-wqy-microhei) to each of them.
LINK='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
for face in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Tahoma Bold" "SimSun" "Microsoft Sans Serif"; do
    wine reg add "$LINK" /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f \
        >/dev/null 2>&1
done
# Wine's own fonts (Debian's fonts-wine) draw the caption buttons; this Wine reads them only from
# the prefix's font folder.
if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
# Xvfb has no window manager: Wine draws the frames itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# The interface language of the picture: 0 the built-in Chinese (default), 1 English.
wine reg add 'HKCU\Software\RVXTOOL\RVXTOOL\RVXINI' /v UI /t REG_DWORD \
    /d "${RVX_SCREENSHOT_UI:-0}" /f >/dev/null 2>&1
# The screen's scaling for this picture; the prefix, which the tests share, goes back to 96 DPI
# when the script ends.
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
set_dpi "${RVX_SCREENSHOT_DPI:-96}"
trap 'set_dpi 96; timeout -k 10 60 wineserver -w' EXIT
timeout -k 10 60 wineserver -w

WINPATH="Z:$(cd "$(dirname "$RAW")" && pwd)/$(basename "$RAW")"
WINPATH="$(printf '%s' "$WINPATH" | sed 's|/|\\|g')"
timeout -k 5 60 "$WINELOADER" "$B/app/RVXTOOL.exe" "$WINPATH" >/dev/null 2>&1 &
PROGRAM=$!

window=""
i=0
while [ $i -lt 150 ]; do
    window="$(xwininfo -root -tree 2>/dev/null |
        sed -n "s/^ *\(0x[0-9a-f]*\) \"${RVX_SCREENSHOT_CAPTION:-RVXTOOL}[^\"]*\": .*/\1/p" | head -n 1)"
    [ -n "$window" ] && break
    sleep 0.2
    i=$((i + 1))
done
if [ -z "$window" ]; then
    kill "$PROGRAM" 2>/dev/null || true
    echo "screenshot: the RVXTOOL dialog did not appear within 30 s" >&2
    exit 1
fi
if [ -n "${RVX_SCREENSHOT_SIZE:-}" ]; then
    timeout -k 5 30 "$WINELOADER" "$B/tests/e2e/window_size.exe" "${RVX_SCREENSHOT_CAPTION:-RVXTOOL}" \
        "${RVX_SCREENSHOT_SIZE%x*}" "${RVX_SCREENSHOT_SIZE#*x}" >/dev/null 2>&1 ||
        echo "screenshot: could not size the window" >&2
fi
if [ -n "${RVX_SCREENSHOT_HEIGHT:-}" ]; then
    sleep 1
    timeout -k 5 30 "$WINELOADER" "$B/tests/e2e/window_size.exe" "${RVX_SCREENSHOT_CAPTION:-RVXTOOL}" \
        --type 1003 "$RVX_SCREENSHOT_HEIGHT" 1002 >/dev/null 2>&1 ||
        echo "screenshot: could not type the height" >&2
fi
sleep 1.5
geometry="$(xwininfo -id "$window" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{printf "%dx%d+%d+%d", w, h, x, y}')"
if [ -n "${RVX_SCREENSHOT_HEIGHT:-}" ]; then
    # The question is centred on the screen: take the area that holds the dialog and it.
    geometry="$(xwininfo -root -tree | awk -v caption="${RVX_SCREENSHOT_CAPTION:-RVXTOOL}" '
        index($0, "\"" caption) && match($0, /[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+ +\+-?[0-9]+\+-?[0-9]+/) {
            split(substr($0, RSTART, RLENGTH), f, /[x+ ]+/)
            x = f[5]; y = f[6]; r = x + f[1]; b = y + f[2]
            if (n++ == 0 || x < l) l = x; if (n == 1 || y < t) t = y
            if (n == 1 || r > R) R = r; if (n == 1 || b > B) B = b
        }
        END { printf "%dx%d+%d+%d", R - l, B - t, l, t }')"
fi
import -window root -crop "$geometry" +repage "$OUT"
kill "$PROGRAM" 2>/dev/null || true
wait "$PROGRAM" 2>/dev/null || true
timeout -k 10 60 wineserver -w || true
echo "screenshot: $OUT ($geometry)"
