// Gives a visible top-level window a size, for screenshots of a window at a chosen width:
// window_size.exe <start of its caption> <width> <height> (in pixels). Exit 1 when no such
// window shows within 10 s.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

struct Search {
    std::wstring caption;
    HWND found = nullptr;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    wchar_t text[256] = L"";
    GetWindowTextW(hwnd, text, 256);
    if (IsWindowVisible(hwnd) && std::wstring(text).rfind(search->caption, 0) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        return 2;
    }
    Search search{argv[1]};
    for (int i = 0; i < 100 && search.found == nullptr; ++i) {
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            Sleep(100);
        }
    }
    if (search.found == nullptr) {
        return 1;
    }
    SetWindowPos(search.found, nullptr, 0, 0, static_cast<int>(std::wcstol(argv[2], nullptr, 10)),
                 static_cast<int>(std::wcstol(argv[3], nullptr, 10)), SWP_NOZORDER | SWP_NOMOVE);
    return 0;
}
