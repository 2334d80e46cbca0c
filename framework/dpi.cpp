#include "dpi.h"

#include "newer_api.h"
#include "resources.h"

namespace {

UINT SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void Replace(HICON* held, HICON now) {
    if (*held != nullptr) {
        DestroyIcon(*held);
    }
    *held = now;
}

}  // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto forWindow =
        NewerSystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    const UINT dpi = forWindow != nullptr ? forWindow(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi =
        NewerSystemFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi != nullptr) {
        return forDpi(index, dpi);
    }
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

CWindowIcons::~CWindowIcons() {
    Replace(&big_, nullptr);
    Replace(&small_, nullptr);
}

void CWindowIcons::Set(HWND window, UINT id, UINT dpi, bool smallOnly) {
    HICON bigIcon = smallOnly ? nullptr : LoadResIconAt(id, SystemMetricForDpi(SM_CXICON, dpi));
    HICON smallIcon = LoadResIconAt(id, SystemMetricForDpi(SM_CXSMICON, dpi));
    if ((bigIcon == nullptr && !smallOnly) || smallIcon == nullptr) {  // the window keeps its own
        Replace(&bigIcon, nullptr);
        Replace(&smallIcon, nullptr);
        return;
    }
    if (!smallOnly) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
        Replace(&big_, bigIcon);
    }
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    Replace(&small_, smallIcon);
}
