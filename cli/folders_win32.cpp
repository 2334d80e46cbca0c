// Folders and file identity on Windows. Paths are passed as wide text throughout.
#include <windows.h>

#include "file_ops.h"
#include "folders.h"
#include "paths.h"
#include "text.h"

namespace rvxedit {

EntryKind KindOf(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(rawfile::ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return EntryKind::kMissing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::kFolder : EntryKind::kFile;
}

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

bool KeyOf(const std::u16string& path, FileKey* key) {
    // A bare drive ("C:") means the current folder of that drive.
    const std::u16string name = !path.empty() && path.back() == u':' ? path + u"." : path;
    const HANDLE h = CreateFileW(rawfile::ToWide(name).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok) {
        return false;
    }
    key->volume = info.dwVolumeSerialNumber;
    key->index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool ReadFileUpTo(const std::u16string& path, std::size_t limit, std::string* bytes, bool* tooLarge,
                  std::u16string* reason) {
    const HANDLE h =
        CreateFileW(rawfile::ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *reason = rawfile::SystemReason(GetLastError());
        return false;
    }
    bytes->clear();
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
            const DWORD code = GetLastError();
            CloseHandle(h);
            if (code == ERROR_BROKEN_PIPE) {
                return true;  // the end of a pipe
            }
            *reason = rawfile::SystemReason(code);
            return false;
        }
        if (n == 0) {
            break;
        }
        if (bytes->size() + n > limit) {
            *tooLarge = true;
            CloseHandle(h);
            return false;
        }
        bytes->append(buffer, n);
    }
    CloseHandle(h);
    return true;
}

}  // namespace rvxedit
