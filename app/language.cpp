#include "language.h"

#include "win_app.h"

HMODULE LoadLanguageLibrary() {
    const std::wstring folder = AfxGetModuleFolder();
    if (folder.empty()) {
        return nullptr;
    }
    return LoadLibraryExW((folder + kLanguageLibraryName).c_str(), nullptr,
                          LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
}
