// The raw files of a folder, on Windows.
#include <windows.h>

#include "paths.h"
#include "text.h"
#include "undo.h"

namespace rawfile {

std::vector<std::u16string> RawFileNamesIn(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    const HANDLE h = FindFirstFileW(
        ToWide(JoinPath(folder.empty() ? u"." : folder, u"*.RVX", PathStyle::kWindows)).c_str(),
        &found);
    if (h == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        // The pattern also matches short names: "*.RVX" finds "A.RVXB" by its "A~1.RVX".
        const std::u16string name = FromWide(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && name.size() > 4 &&
            AsciiUpper(name.substr(name.size() - 4)) == u".RVX") {
            names.push_back(name);
        }
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

}  // namespace rawfile
