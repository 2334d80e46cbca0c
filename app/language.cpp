#include "language.h"

#include "win_app.h"

std::wstring PathBesideProgram(const wchar_t* fileName) {
    const std::wstring path = AfxGetModuleFilePath();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return std::wstring();
    }
    return path.substr(0, slash + 1) + fileName;
}

HMODULE LoadLanguageLibrary() {
    const std::wstring path = PathBesideProgram(kLanguageLibraryName);
    if (path.empty()) {
        return nullptr;
    }
    return LoadLibraryExW(path.c_str(), nullptr,
                          LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
}
