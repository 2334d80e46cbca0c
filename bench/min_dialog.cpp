// The smallest dialog program: shows one modal dialog and ends when it closes. Given the path of
// a language library, it shows that library's editor dialog instead (with empty fields): the
// editor's own dialog without any of the editor's work.
#include <windows.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    if (commandLine != nullptr && commandLine[0] == L'"') {  // one path, perhaps quoted
        ++commandLine;
        for (wchar_t* c = commandLine; *c != L'\0'; ++c) {
            if (*c == L'"') {
                *c = L'\0';
                break;
            }
        }
    }
    if (commandLine != nullptr && commandLine[0] != L'\0') {
        const HMODULE library = LoadLibraryExW(
            commandLine, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
        if (library == nullptr) {
            return 1;
        }
        return static_cast<int>(
            DialogBoxParamW(library, MAKEINTRESOURCEW(IDD_RVXTOOL_DIALOG), nullptr, DialogProc, 0));
    }
    return static_cast<int>(
        DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, DialogProc, 0));
}
