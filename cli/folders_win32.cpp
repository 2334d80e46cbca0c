// Folder listings on Windows. Paths are passed as wide text throughout.
#include <windows.h>

#include "file_ops.h"
#include "folders.h"
#include "paths.h"
#include "text.h"

namespace rvxedit {

bool ListFolder(const std::u16string& path, std::vector<FolderEntry>* entries,
                std::u16string* reason) {
    WIN32_FIND_DATAW found;
    const HANDLE h = FindFirstFileW(
        rawfile::ToWide(rawfile::JoinPath(path, u"*", rawfile::PathStyle::kWindows)).c_str(),
        &found);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) {
            return true;  // an empty drive root
        }
        *reason = rawfile::SystemReason(code);
        return false;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        FolderEntry entry;
        entry.name.text = rawfile::FromWide(name);
        const DWORD a = found.dwFileAttributes;
        if ((a & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            entry.kind = EntryKind::kFile;
        } else {
            // A junction or a link to a folder is not followed.
            entry.kind =
                (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryKind::kOther : EntryKind::kFolder;
        }
        entries->push_back(entry);
    } while (FindNextFileW(h, &found));
    const DWORD code = GetLastError();
    FindClose(h);
    if (code != ERROR_NO_MORE_FILES) {
        *reason = rawfile::SystemReason(code);
        return false;
    }
    return true;
}

}  // namespace rvxedit
