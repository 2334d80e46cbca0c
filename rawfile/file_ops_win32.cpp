// Win32 file operations (the Windows programs). Paths are passed as wide text throughout.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <algorithm>

#include "file_identity.h"
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

HANDLE AsHandle(void* h) {
    return static_cast<HANDLE>(h);
}

bool FileIdentity(const std::u16string& path, FileId* id) {
    const HANDLE h =
        CreateFileW(ToWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool ok = IdOfHandle(h, id);
    CloseHandle(h);
    return ok;
}

// A scanner or the search indexer may hold a file for a moment right after it was written.
bool HeldBriefly(DWORD code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

// Calls `attempt` until it succeeds or fails for another reason than a brief hold, for at most
// a second.
template <typename Attempt>
bool RetryWhileHeld(Attempt attempt) {
    const ULONGLONG until = GetTickCount64() + 1000;
    for (;;) {
        if (attempt()) {
            return true;
        }
        const DWORD code = GetLastError();
        if (!HeldBriefly(code) || GetTickCount64() >= until) {
            SetLastError(code);
            return false;
        }
        Sleep(50);
    }
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

std::u16string FolderOf(const std::u16string& path) {
    const std::u16string folder = SplitRawPath(path, PathStyle::kWindows).folder;
    return folder.empty() ? u"." : folder;
}

// The full path of `path` in the system's own form: \??\C:\dir\name, \??\UNC\server\share\...
// Empty when it cannot be made.
std::wstring NtPath(const std::u16string& path) {
    const std::wstring wide = ToWide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD n = size == 0 ? 0 : GetFullPathNameW(wide.c_str(), size, &full[0], nullptr);
    if (n == 0 || n >= size) {
        return L"";
    }
    full.resize(n);
    if (full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0) {
        return L"\\??\\" + full.substr(4);
    }
    if (full.compare(0, 2, L"\\\\") == 0) {
        return L"\\??\\UNC\\" + full.substr(2);
    }
    return L"\\??\\" + full;
}

// Opens a folder itself (not a file in it) with `access`.
HANDLE OpenFolder(const std::u16string& folder, DWORD access) {
    return CreateFileW(ToWide(folder.empty() ? u"." : folder).c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

std::FILE* OpenForReading(const std::u16string& path, FileId* id) {
    // Shared as the C runtime's "rb" open shares a file.
    const HANDLE h = OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (h == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    if (id != nullptr) {
        IdOfHandle(h, id);
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

std::uint32_t LastReadError() {
    const DWORD code = GetLastError();
    return code != 0 ? code : ERROR_READ_FAULT;
}

HeldFile::HeldFile(HeldFile&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_) {
    other.handle_ = INVALID_HANDLE_VALUE;
}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        Close();
        path_ = std::move(other.path_);
        handle_ = other.handle_;
        other.handle_ = INVALID_HANDLE_VALUE;
    }
    return *this;
}

HeldFile::~HeldFile() {
    Close();
}

bool HeldFile::IsOpen() const {
    return AsHandle(handle_) != INVALID_HANDLE_VALUE;
}

void HeldFile::Close() {
    if (IsOpen()) {
        CloseHandle(AsHandle(handle_));
        handle_ = INVALID_HANDLE_VALUE;
    }
}

bool HeldFile::Open(const std::u16string& path, FileError* error, bool forRename,
                    const FolderListings*) {
    Close();
    path_ = path;
    // Windows refuses to open a read-only file for writing; say so here as well, where the
    // system would let a privileged user through (Wine run as root).
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return Fail(FileOp::kOpen, path, ERROR_ACCESS_DENIED, error);
    }
    // Shared with nobody, and with the right to rename it through this handle when it will be.
    const DWORD access = GENERIC_READ | GENERIC_WRITE | (forRename ? DELETE : 0);
    HANDLE h = INVALID_HANDLE_VALUE;
    if (!RetryWhileHeld([&] {
            h = OpenDiskFile(path, access, 0);
            return h != INVALID_HANDLE_VALUE;
        })) {
        return Fail(FileOp::kOpen, path, GetLastError(), error);
    }
    handle_ = h;
    return true;
}

bool HeldFile::Id(FileId* id, FileError* error) const {
    if (!IdOfHandle(AsHandle(handle_), id)) {
        return Fail(FileOp::kOpen, path_, GetLastError(), error);
    }
    return true;
}

bool HeldFile::ReadHead(std::string* head, FileError* error) const {
    char buffer[kBlockSize];
    DWORD done = 0;
    while (done < sizeof buffer) {
        OVERLAPPED at = {};
        at.Offset = done;
        DWORD n = 0;
        if (!ReadFile(AsHandle(handle_), buffer + done, sizeof buffer - done, &n, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            return Fail(FileOp::kRead, path_, GetLastError(), error);
        }
        if (n == 0) {
            break;
        }
        done += n;
    }
    head->assign(buffer, done);
    return true;
}

bool HeldFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t* got,
                      FileError* error) const {
    char* to = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD n = 0;
        if (!ReadFile(AsHandle(handle_), to + done, want, &n, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            return Fail(FileOp::kRead, path_, GetLastError(), error);
        }
        // A disk file reads short only at its end.
        done += n;
        if (n < want) {
            break;
        }
    }
    *got = done;
    return true;
}

bool HeldFile::WriteHead(const HeaderBlock& block, FileError* error) {
    DWORD done = 0;
    while (done < block.size()) {
        OVERLAPPED at = {};
        at.Offset = done;
        DWORD n = 0;
        if (!WriteFile(AsHandle(handle_), block.data() + done,
                       static_cast<DWORD>(block.size()) - done, &n, &at)) {
            return Fail(FileOp::kWrite, path_, GetLastError(), error);
        }
        if (n == 0) {
            return Fail(FileOp::kWrite, path_, ERROR_WRITE_FAULT, error);
        }
        done += n;
    }
    return true;
}

bool HeldFile::Flush(FileError* error) {
    if (!FlushFileBuffers(AsHandle(handle_))) {
        return Fail(FileOp::kWrite, path_, GetLastError(), error);
    }
    return true;
}

bool HeldFile::Rename(const std::u16string& to, FileError* error) {
    if (to == path_) {
        return true;
    }
    // Renamed through the handle held, so no other program can come between the check of the
    // file and its rename, without replacing. The call takes the system's own form of a full
    // path (\??\C:\...), which the Windows path functions do not make.
    const std::wstring name = NtPath(to);
    if (name.empty()) {
        return Fail(FileOp::kRename, path_, GetLastError(), error);
    }
    std::string buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t), '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(&buffer[0]);
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    name.copy(info->FileName, name.size());
    const bool renamed = RetryWhileHeld([&] {
        return SetFileInformationByHandle(AsHandle(handle_), FileRenameInfo, info,
                                          static_cast<DWORD>(buffer.size())) != 0;
    });
    const DWORD code = GetLastError();
    if (!renamed && (code == ERROR_INVALID_PARAMETER || code == ERROR_INVALID_FUNCTION ||
                     code == ERROR_NOT_SUPPORTED || code == ERROR_CALL_NOT_IMPLEMENTED)) {
        // A file system that cannot rename through a handle: let the file go and rename it by
        // name, never replacing; its header is already flushed.
        Close();
        if (!MoveFileW(ToWide(path_).c_str(), ToWide(to).c_str())) {
            return Fail(FileOp::kRename, path_, GetLastError(), error);
        }
        path_ = to;
        return true;
    }
    if (!renamed) {
        return Fail(FileOp::kRename, path_, code, error);
    }
    path_ = to;
    // On NTFS a flush of the file also commits the file system's log, the rename with it.
    FlushFileBuffers(AsHandle(handle_));
    return true;
}

bool HeldFile::CheckFolderWritable(FileError* error, FolderListings* known) const {
    // The handle's delete right already allows taking the name away; the folder must also let
    // a name be added.
    const std::u16string folder = FolderOf(path_);
    if (known != nullptr) {
        const std::lock_guard<std::shared_mutex> hold(known->lock.mutex);
        const auto verdict = known->verdicts.find(folder);
        if (verdict != known->verdicts.end() && verdict->second.code == 0) {
            return true;
        }
    }
    const HANDLE h = OpenFolder(folder, FILE_ADD_FILE);
    if (h == INVALID_HANDLE_VALUE) {
        return Fail(FileOp::kFolder, path_, GetLastError(), error);
    }
    CloseHandle(h);
    if (known != nullptr) {
        const std::lock_guard<std::shared_mutex> hold(known->lock.mutex);
        known->verdicts[folder] = FileError();
    }
    return true;
}

void ListFolderOf(const std::u16string&, FolderListings*) {}

bool FlushFolder(const std::u16string& folder, FileError* error) {
    // Windows flushes a folder's entries only where the file system supports it and the user
    // may; the rename itself was committed by the flush of the renamed file. A refusal of the
    // flush as such is therefore no failure; a folder that is gone or a device error is.
    const HANDLE h = OpenFolder(folder, GENERIC_READ | GENERIC_WRITE);
    DWORD code = ERROR_SUCCESS;
    if (h == INVALID_HANDLE_VALUE) {
        code = GetLastError();
    } else {
        if (!FlushFileBuffers(h)) {
            code = GetLastError();
        }
        CloseHandle(h);
    }
    if (code == ERROR_SUCCESS || code == ERROR_ACCESS_DENIED || code == ERROR_INVALID_FUNCTION ||
        code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_PARAMETER) {
        return true;
    }
    return Fail(FileOp::kFlushFolder, folder, code, error);
}

TargetState CheckRenameTarget(const std::u16string& from, const std::u16string& to,
                              FolderListings*) {
    // The system compares names in any letter case itself.
    if (GetFileAttributesW(ToWide(to).c_str()) == INVALID_FILE_ATTRIBUTES) {
        return TargetState::kFree;
    }
    // The same file under another name (a hard link) is another entry, which a rename would leave.
    if (CompareStringOrdinal(ToWide(from).c_str(), -1, ToWide(to).c_str(), -1, TRUE) !=
        CSTR_EQUAL) {
        return TargetState::kOther;
    }
    FileId a;
    FileId b;
    if (FileIdentity(from, &a) && FileIdentity(to, &b) && a == b) {
        return TargetState::kSameFile;
    }
    return TargetState::kOther;
}

}  // namespace rawfile
