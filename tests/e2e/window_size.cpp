// Gives a visible top-level window a size, for screenshots of a window at a chosen width:
// window_size.exe <start of its caption> <width> <height> (in pixels); or, for a screenshot of
// what a button asks, types into one of its controls and clicks the button:
// window_size.exe <start of its caption> --type <control id> <text> <button id>. Exit 1 when no
// such window shows within 10 s.
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
    const bool type = argc == 6 && std::wstring(argv[2]) == L"--type";
    if (argc != 4 && !type) {
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
    if (type) {
        const int control = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
        const int button = static_cast<int>(std::wcstol(argv[5], nullptr, 10));
        SendMessageW(GetDlgItem(search.found, control), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(argv[4]));
        PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(search.found, button)));
        return 0;
    }
    SetWindowPos(search.found, nullptr, 0, 0, static_cast<int>(std::wcstol(argv[2], nullptr, 10)),
                 static_cast<int>(std::wcstol(argv[3], nullptr, 10)), SWP_NOZORDER | SWP_NOMOVE);
    return 0;
}
