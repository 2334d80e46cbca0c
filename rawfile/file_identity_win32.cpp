// File identity and whole-file reads on Windows. Paths are passed as wide text throughout.
#include <windows.h>

#include "file_identity.h"
#include "file_ops.h"
#include "paths.h"
#include "text.h"

namespace rawfile {

EntryKind KindOf(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return EntryKind::kMissing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::kFolder : EntryKind::kFile;
}

bool KeyOf(const std::u16string& path, FileKey* key) {
    // A bare drive ("C:") means the current folder of that drive.
    const std::u16string name = !path.empty() && path.back() == u':' ? path + u"." : path;
    const HANDLE h =
        CreateFileW(ToWide(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
        CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *reason = SystemReason(GetLastError());
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
            *reason = SystemReason(code);
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

}  // namespace rawfile
