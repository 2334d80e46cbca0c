// The raw files of a folder, on POSIX.
#include <dirent.h>

#include "text.h"
#include "undo.h"

namespace rawfile {

std::vector<std::u16string> RawFileNamesIn(const std::u16string& folder) {
    std::vector<std::u16string> names;
    DIR* dir = opendir(folder.empty() ? "." : Utf16ToUtf8(folder).c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* d = readdir(dir)) {
        bool exact = true;
        const std::u16string name = Utf8ToUtf16(d->d_name, &exact);
        if (exact && name.size() > 4 && AsciiUpper(name.substr(name.size() - 4)) == u".RVX") {
            names.push_back(name);
        }
    }
    closedir(dir);
    return names;
}

}  // namespace rawfile
