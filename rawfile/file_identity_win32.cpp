// File identity and whole-file reads on Windows. Paths are passed as wide text throughout.
#include <windows.h>

#include <cstring>

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

// One question to the system costs what a listing's lookup would.
EntryKind KindOf(const std::u16string& path, FolderListings*) {
    return KindOf(path);
}

namespace {

// FILE_ID_INFO and its class, which the headers declare only for Windows 8 and later.
struct FileIdInfo128 {
    ULONGLONG volumeSerialNumber;
    BYTE fileId[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

}  // namespace

bool IdOfHandle(void* handle, FileId* id) {
    // Windows 8 and later (and Wine) tell the volume and index of a handle in one query that
    // does not ask the volume for its details, which GetFileInformationByHandle does each time.
    FileIdInfo128 info;
    if (GetFileInformationByHandleEx(handle, kFileIdInfo, &info, sizeof info)) {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::memcpy(&low, info.fileId, 8);
        std::memcpy(&high, info.fileId + 8, 8);
        // NTFS and FAT indexes fit in the low half; a 128-bit index (ReFS) is folded into 64 bits.
        id->volume = info.volumeSerialNumber;
        id->index = high == 0 ? low : low ^ (high * 0x9E3779B97F4A7C15ull);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION older;
    if (!GetFileInformationByHandle(handle, &older)) {
        return false;
    }
    id->volume = older.dwVolumeSerialNumber;
    id->index = (static_cast<std::uint64_t>(older.nFileIndexHigh) << 32) | older.nFileIndexLow;
    return true;
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
    const bool ok = IdOfHandle(h, key);
    CloseHandle(h);
    return ok;
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
    // Only a disk file is read: a console, a serial port or a pipe (CON, COM1, aux.csv) may
    // wait for input for ever, and NUL would read as an empty file.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        *reason = SystemReason(ERROR_NOT_SUPPORTED);
        return false;
    }
    bytes->clear();
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
            const DWORD code = GetLastError();
            CloseHandle(h);
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
