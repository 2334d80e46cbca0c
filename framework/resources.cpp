#include "resources.h"

namespace {

HINSTANCE g_resourceModule = nullptr;

// A string table holds 16 strings per block; block n is resource n / 16 + 1.
bool ModuleHasString(HINSTANCE module, UINT id) {
    return FindResourceW(module, MAKEINTRESOURCEW(id / 16 + 1), MAKEINTRESOURCEW(6)) != nullptr;
}

}  // namespace

HINSTANCE AfxGetInstanceHandle() {
    return GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return g_resourceModule != nullptr ? g_resourceModule : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE module) {
    g_resourceModule = module;
}

HINSTANCE AfxFindResourceHandle(LPCWSTR id, LPCWSTR type) {
    const HINSTANCE first = AfxGetResourceHandle();
    if (FindResourceW(first, id, type) != nullptr) {
        return first;
    }
    return AfxGetInstanceHandle();
}

std::wstring LoadResString(UINT id) {
    HINSTANCE module = AfxGetResourceHandle();
    if (!ModuleHasString(module, id)) {
        module = AfxGetInstanceHandle();
    }
    const wchar_t* text = nullptr;
    const int n = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || text == nullptr) {
        return std::wstring();
    }
    return std::wstring(text, static_cast<size_t>(n));
}

HICON LoadResIconAt(UINT id, int size) {
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}
