#include "path_field.h"

#include <commctrl.h>

#include <algorithm>

#include "dialog.h"

namespace {

constexpr wchar_t kEllipsis[] = L"\u2026";

// The tail of the path kept whole takes at most this share of the width; the rest goes to its
// start, so the drive and the first folders show too.
constexpr int kTailShareNumerator = 2;
constexpr int kTailShareDenominator = 3;

// Measures texts in a control's font.
class TextMeasure {
public:
    explicit TextMeasure(HWND control) : control_(control), dc_(GetDC(control)) {
        const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        old_ = dc_ != nullptr && font != nullptr ? SelectObject(dc_, font) : nullptr;
    }
    ~TextMeasure() {
        if (old_ != nullptr) {
            SelectObject(dc_, old_);
        }
        if (dc_ != nullptr) {
            ReleaseDC(control_, dc_);
        }
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    int Width(const std::wstring& text) const {
        SIZE size{};
        GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    HWND control_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The largest count in [0, n] for which `fits` holds, `fits` holding for every count up to it
// (a path may be long: 32767 characters).
template <typename Fits>
std::size_t LargestFitting(std::size_t n, Fits fits) {
    std::size_t low = 0;
    while (low < n) {
        const std::size_t mid = low + (n - low + 1) / 2;
        if (fits(mid)) {
            low = mid;
        } else {
            n = mid - 1;
        }
    }
    return low;
}

// `path` shortened to fit `width` pixels: its start, an ellipsis, and its last components (at
// least the file name, cut at its start only when even that does not fit). A surrogate pair is
// never cut in two.
std::wstring FitPath(const std::wstring& path, int width, const TextMeasure& measure) {
    if (measure.Width(path) <= width) {
        return path;
    }
    std::size_t last = path.size();
    while (last > 0 && !IsSeparator(path[last - 1])) {
        --last;
    }
    std::size_t tail = last > 0 ? last - 1 : 0;  // the file name with its separator
    if (measure.Width(kEllipsis + path.substr(tail)) > width) {
        std::size_t keep = LargestFitting(path.size() - tail, [&](std::size_t n) {
            return measure.Width(kEllipsis + path.substr(path.size() - n)) <= width;
        });
        if (keep > 0 && IS_LOW_SURROGATE(path[path.size() - keep])) {
            --keep;
        }
        return kEllipsis + path.substr(path.size() - keep);
    }
    // Take in earlier folders while the tail stays within its share.
    const int tailWidth = width * kTailShareNumerator / kTailShareDenominator;
    while (tail > 0) {
        std::size_t start = tail - 1;
        while (start > 0 && !IsSeparator(path[start - 1])) {
            --start;
        }
        if (start <= 1 || measure.Width(kEllipsis + path.substr(start - 1)) > tailWidth) {
            break;
        }
        tail = start - 1;
    }
    // Then as much of the start as fits beside it.
    const std::wstring end = kEllipsis + path.substr(tail);
    std::size_t head = LargestFitting(
        tail, [&](std::size_t n) { return measure.Width(path.substr(0, n) + end) <= width; });
    if (head > 0 && head < path.size() && IS_LOW_SURROGATE(path[head])) {
        --head;
    }
    return path.substr(0, head) + end;
}

}  // namespace

void CPathField::Attach(HWND dialog, int id) {
    dialog_ = dialog;
    control_ = GetDlgItem(dialog, id);
}

void CPathField::AddTooltip() {
    if (tooltip_ != nullptr || control_ == nullptr) {
        return;
    }
    EnsureCommonControls();
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog_,
                               nullptr, nullptr, nullptr);
    if (tooltip_ == nullptr) {
        return;
    }
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog_;
    tool.uId = reinterpret_cast<UINT_PTR>(control_);
    tool.lpszText = const_cast<wchar_t*>(path_.c_str());
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A long path wraps at its blanks rather than running off the screen.
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, std::max(200L, (area.right - area.left) / 2));
}

std::wstring CPathField::Show(const std::wstring& path) {
    path_ = path;
    if (tooltip_ != nullptr) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = dialog_;
        tool.uId = reinterpret_cast<UINT_PTR>(control_);
        tool.lpszText = const_cast<wchar_t*>(path_.c_str());
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return Refit();
}

std::wstring CPathField::Refit() const {
    if (control_ == nullptr || path_.empty()) {
        return path_;
    }
    RECT client{};
    GetClientRect(control_, &client);
    const TextMeasure measure(control_);
    return FitPath(path_, client.right - client.left, measure);
}

bool CopyToClipboard(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    void* data = GlobalLock(memory);
    if (data != nullptr) {
        CopyMemory(data, text.c_str(), bytes);
        GlobalUnlock(memory);
    }
    if (data == nullptr || !OpenClipboard(owner)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!copied) {
        GlobalFree(memory);
    }
    return copied;
}
