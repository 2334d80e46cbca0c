#include "shell.h"

#include "newer_api.h"

namespace {

template <typename Function>
Function ShellFunction(const char* name) {
    return LaterSystemFunction<Function>(L"shell32.dll", name);
}

}  // namespace

HINSTANCE AfxShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file,
                          const wchar_t* parameters, const wchar_t* directory, int show) {
    using Function = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    static const auto shellExecute = ShellFunction<Function>("ShellExecuteW");
    return shellExecute != nullptr ? shellExecute(owner, verb, file, parameters, directory, show)
                                   : nullptr;
}

HRESULT AfxCreateItemFromParsingName(const wchar_t* path, IBindCtx* bind, REFIID iid, void** item) {
    using Function = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
    static const auto createItem = ShellFunction<Function>("SHCreateItemFromParsingName");
    return createItem != nullptr ? createItem(path, bind, iid, item) : E_NOINTERFACE;
}

UINT AfxDragQueryFile(HDROP drop, UINT index, wchar_t* buffer, UINT size) {
    using Function = UINT(WINAPI*)(HDROP, UINT, LPWSTR, UINT);
    static const auto dragQueryFile = ShellFunction<Function>("DragQueryFileW");
    return dragQueryFile != nullptr ? dragQueryFile(drop, index, buffer, size) : 0;
}

void AfxDragFinish(HDROP drop) {
    using Function = void(WINAPI*)(HDROP);
    static const auto dragFinish = ShellFunction<Function>("DragFinish");
    if (dragFinish != nullptr) {
        dragFinish(drop);
    }
}

void AfxDragAcceptFiles(HWND window) {
    SetWindowLongPtrW(window, GWL_EXSTYLE,
                      GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
}
