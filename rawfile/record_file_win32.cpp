#include <windows.h>

#include <algorithm>

#include "paths.h"
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
    if (IsOpen()) {
        CloseHandle(handle_);
    }
}

bool AppendFile::IsOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

bool AppendFile::Open(const std::u16string& path, bool* empty, FileError* error) {
    path_ = path;
    handle_ = CreateFileW(ToWide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        return Fail(FileOp::kOpen, path, error);
    }
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    LARGE_INTEGER size{};
    if (GetFileType(handle_) != FILE_TYPE_DISK || !GetFileSizeEx(handle_, &size)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return Fail(FileOp::kOpen, path, error);
    }
    *empty = size.QuadPart == 0;
    return !created || FlushFolder(SplitRawPath(path, PathStyle::kWindows).folder, error);
}

bool AppendFile::Append(const std::string& bytes, FileError* error) {
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(handle_, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return Fail(FileOp::kWrite, path_, error);
        }
        done += written;
    }
    return FlushFileBuffers(handle_) || Fail(FileOp::kWrite, path_, error);
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
