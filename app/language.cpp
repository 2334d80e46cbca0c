#include "language.h"

#include <vector>

std::wstring PathBesideProgram(const wchar_t* fileName) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return std::wstring();
        }
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            const size_t slash = path.find_last_of(L"\\/");
            if (slash == std::wstring::npos) {
                return std::wstring();
            }
            return path.substr(0, slash + 1) + fileName;
        }
        buffer.resize(buffer.size() * 2);
    }
}

HMODULE LoadLanguageLibrary() {
    const std::wstring path = PathBesideProgram(kLanguageLibraryName);
    if (path.empty()) {
        return nullptr;
    }
    return LoadLibraryExW(path.c_str(), nullptr,
                          LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
}
