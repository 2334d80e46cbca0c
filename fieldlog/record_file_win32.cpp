#include <windows.h>

#include <algorithm>

#include "record_file.h"
#include "text.h"

namespace rawfile {

namespace {

bool Fail(FileOp op, const std::u16string& path, FileError* error) {
    error->op = op;
    error->path = path;
    error->code = GetLastError();
    error->reason = SystemReason(error->code);
    return false;
}

}  // namespace

AppendFile::~AppendFile() {
    Close();
}

bool AppendFile::IsOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

void AppendFile::Close() {
    if (IsOpen()) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
}

bool AppendFile::OpenLocked(const std::u16string& path, bool* created, bool* busy,
                            std::uint64_t* size, FileError* error) {
    // Shared with readers only: one writer at a time. Read and write rights as well, to drop a
    // last row cut short; appends still go to the end (see Append).
    handle_ = CreateFileW(ToWide(path).c_str(), FILE_APPEND_DATA | FILE_READ_DATA | FILE_WRITE_DATA,
                          FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        *busy = GetLastError() == ERROR_SHARING_VIOLATION;
        return Fail(FileOp::kOpen, path, error);
    }
    *created = GetLastError() != ERROR_ALREADY_EXISTS;
    LARGE_INTEGER length{};
    if (GetFileType(handle_) != FILE_TYPE_DISK || !GetFileSizeEx(handle_, &length)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return Fail(FileOp::kOpen, path, error);
    }
    *size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

bool AppendFile::ReadFromStart(std::string* bytes, FileError* error) {
    for (std::size_t done = 0; done < bytes->size();) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(done);
        at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(done) >> 32);
        DWORD n = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes->size() - done, 1u << 20));
        if (!ReadFile(handle_, &(*bytes)[done], chunk, &n, &at) || n == 0) {
            return Fail(FileOp::kRead, path_, error);
        }
        done += n;
    }
    return true;
}

bool AppendFile::CutTo(std::uint64_t size, FileError* error) {
    FILE_END_OF_FILE_INFO end = {};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end) ||
        !FlushFileBuffers(handle_)) {
        return Fail(FileOp::kWrite, path_, error);
    }
    return true;
}

bool AppendFile::Append(const std::string& rows, FileError* error) {
    const std::string bytes = lineEnd_ ? "\r\n" + rows : rows;
    for (std::size_t done = 0; done < bytes.size();) {
        // Both offsets all ones: at the end of the file, as an append-only handle writes.
        OVERLAPPED end = {};
        end.Offset = 0xFFFFFFFF;
        end.OffsetHigh = 0xFFFFFFFF;
        DWORD written = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(handle_, bytes.data() + done, chunk, &written, &end) || written == 0) {
            return Fail(FileOp::kWrite, path_, error);
        }
        done += written;
    }
    if (!FlushFileBuffers(handle_)) {
        return Fail(FileOp::kWrite, path_, error);
    }
    lineEnd_ = false;
    return true;
}

std::u16string FullPath(const std::u16string& path) {
    const std::wstring wide = ToWide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size) {
        return path;
    }
    full.resize(length);
    return FromWide(full);
}

}  // namespace rawfile
