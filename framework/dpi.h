// The scale the program's windows are drawn at, and the icons that follow it. Windows 10 answers
// per monitor; older versions have one DPI for the whole screen.
#pragma once

#include <windows.h>

// The DPI `window` is drawn at: its monitor's under per-monitor awareness (Windows 10 1607 and
// later), otherwise the system's.
UINT WindowDpi(HWND window);

// System metric `index` (SM_CXICON, SM_CXSMICON, ...) at `dpi`.
int SystemMetricForDpi(int index, UINT dpi);

// A window's big and small icon, both from one icon resource, at the sizes of the window's DPI.
class CWindowIcons {
public:
    CWindowIcons() = default;
    ~CWindowIcons();
    CWindowIcons(const CWindowIcons&) = delete;
    CWindowIcons& operator=(const CWindowIcons&) = delete;

    // Gives `window` icon resource `id` at the sizes of `dpi` and frees the pair it replaces.
    // `smallOnly`: only the small icon, which the caption shows; the big one (task switching)
    // can follow once the window shows, as each icon given costs a window's start time.
    void Set(HWND window, UINT id, UINT dpi, bool smallOnly = false);
    // The big icon last set (null before the first Set).
    HICON Big() const { return big_; }

private:
    HICON big_ = nullptr;
    HICON small_ = nullptr;
};
