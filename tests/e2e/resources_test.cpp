// The English library's dialogs against the built-in ones: the same controls with the same ids,
// classes, styles and places, and no id used twice.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"

namespace {

INT_PTR CALLBACK NoHandler(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The dialog's own size and style, then each control's id, class, style and rectangle.
using Layout = std::vector<std::tuple<int, std::wstring, LONG, LONG, LONG, LONG, LONG>>;

Layout DialogLayout(const char* file, int id) {
    const HMODULE module =
        LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(id), nullptr, NoHandler, 0);
    EXPECT_NE(dialog, nullptr) << file << " dialog " << id;
    Layout layout;
    RECT r;
    GetWindowRect(dialog, &r);
    layout.emplace_back(0, L"", GetWindowLongW(dialog, GWL_STYLE), r.left, r.top, r.right,
                        r.bottom);
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(c, name, 64);
        GetWindowRect(c, &r);
        layout.emplace_back(GetDlgCtrlID(c), name, GetWindowLongW(c, GWL_STYLE), r.left, r.top,
                            r.right, r.bottom);
    }
    DestroyWindow(dialog);
    FreeLibrary(module);
    return layout;
}

TEST(Resources, EnglishDialogsMatchTheBuiltInOnesAndNoIdIsUsedTwice) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);  // the field-log window's list and bar
    for (int id : {IDD_RVXTOOL_DIALOG, IDD_ABOUTBOX, IDD_FIELD_LOG}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        const Layout builtIn = DialogLayout(RVX_PROGRAM_FILE, id);
        ASSERT_GT(builtIn.size(), 2u);
        EXPECT_TRUE(DialogLayout(RVX_LANG_LIBRARY_FILE, id) == builtIn);
        std::set<int> ids;
        for (const auto& control : builtIn) {
            const int controlId = std::get<0>(control);
            EXPECT_TRUE(controlId == IDC_STATIC || ids.insert(controlId).second) << controlId;
        }
    }
}

}  // namespace
