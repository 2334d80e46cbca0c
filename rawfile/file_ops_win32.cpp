// Win32 file operations (the Windows programs). Paths are passed as wide text throughout.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include "file_ops.h"
#include "raw_file_name.h"
#include "text.h"

namespace rawfile {

std::u16string SystemReason(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string reason;
    if (n != 0 && buffer != nullptr) {
        reason = FromWide(std::wstring(buffer, n));
        // The system's sentence ends in a period and a line break; callers go on after it.
        while (!reason.empty() && (reason.back() == u'\r' || reason.back() == u'\n' ||
                                   reason.back() == u' ' || reason.back() == u'.')) {
            reason.pop_back();
        }
    }
    LocalFree(buffer);
    if (reason.empty()) {
        const std::string number = "Error " + std::to_string(code);
        reason.assign(number.begin(), number.end());
    }
    return reason;
}

namespace {

bool Fail(FileOp op, const std::u16string& path, DWORD code, FileError* error) {
    error->op = op;
    error->path = path;
    error->code = code;
    error->reason = SystemReason(code);
    return false;
}

bool FileIdentity(const std::u16string& path, BY_HANDLE_FILE_INFORMATION* info) {
    const HANDLE h =
        CreateFileW(ToWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool ok = GetFileInformationByHandle(h, info) != 0;
    CloseHandle(h);
    return ok;
}

// Opens an existing file that GetFileType calls a disk file; anything else (a console, a
// device, a pipe) is closed again unread and fails with ERROR_NOT_SUPPORTED.
HANDLE OpenDiskFile(const std::u16string& path, DWORD access, DWORD share) {
    const HANDLE h = CreateFileW(ToWide(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

}  // namespace

PathStyle PlatformPathStyle() {
    return PathStyle::kWindows;
}

std::FILE* OpenForReading(const std::u16string& path) {
    // Shared as the C runtime's "rb" open shares a file.
    const HANDLE h = OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (h == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (file == nullptr) {
        _close(fd);
    }
    return file;
}

bool WriteHeaderBlock(const std::u16string& path, const HeaderBlock& block, FileError* error) {
    // Windows refuses to open a read-only file for writing; say so here as well, where the
    // system would let a privileged user through (Wine run as root).
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return Fail(FileOp::kOpen, path, ERROR_ACCESS_DENIED, error);
    }
    const HANDLE h = OpenDiskFile(path, GENERIC_READ | GENERIC_WRITE, 0);
    if (h == INVALID_HANDLE_VALUE) {
        return Fail(FileOp::kOpen, path, GetLastError(), error);
    }
    DWORD written = 0;
    if (!WriteFile(h, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) ||
        written != block.size()) {
        const DWORD code =
            written != block.size() && GetLastError() == 0 ? ERROR_WRITE_FAULT : GetLastError();
        CloseHandle(h);
        return Fail(FileOp::kWrite, path, code, error);
    }
    if (!CloseHandle(h)) {
        return Fail(FileOp::kWrite, path, GetLastError(), error);
    }
    return true;
}

TargetState CheckRenameTarget(const std::u16string& from, const std::u16string& to) {
    if (GetFileAttributesW(ToWide(to).c_str()) == INVALID_FILE_ATTRIBUTES) {
        return TargetState::kFree;
    }
    // The same file under another name (a hard link) is another entry, which a rename would leave.
    if (CompareStringOrdinal(ToWide(from).c_str(), -1, ToWide(to).c_str(), -1, TRUE) !=
        CSTR_EQUAL) {
        return TargetState::kOther;
    }
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    if (FileIdentity(from, &a) && FileIdentity(to, &b) &&
        a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
        a.nFileIndexLow == b.nFileIndexLow) {
        return TargetState::kSameFile;
    }
    return TargetState::kOther;
}

bool RenameNoReplace(const std::u16string& from, const std::u16string& to, FileError* error) {
    if (from == to) {
        return true;
    }
    // MoveFileW without MOVEFILE_REPLACE_EXISTING fails when the target exists.
    if (!MoveFileW(ToWide(from).c_str(), ToWide(to).c_str())) {
        return Fail(FileOp::kRename, from, GetLastError(), error);
    }
    return true;
}

}  // namespace rawfile
