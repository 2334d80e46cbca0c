// The file a change record is appended to, each append on stable storage before it returns, and
// the full paths the record names files by.
#pragma once

#include <cstdint>
#include <string>

#include "file_ops.h"

namespace rawfile {

class AppendFile {
public:
    AppendFile() = default;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    ~AppendFile();

    // Opens the file at `path` for appending, creating it (and flushing its folder) when it does
    // not exist, for this writer alone; a last row cut short is dropped first (see
    // WholeRecordLength). *empty is set when it was created or holds nothing. Anything but a
    // regular file fails (kOpen).
    bool Open(const std::u16string& path, bool* empty, FileError* error);
    bool IsOpen() const;
    // Appends `bytes` and puts them on stable storage (kWrite).
    bool Append(const std::string& bytes, FileError* error);

private:
    // Keeps the whole rows of the `size` bytes the file holds, then flushes the folder of a file
    // `created` by the open.
    bool KeepWholeRows(std::uint64_t size, bool created, bool* empty, FileError* error);
    // Reads bytes->size() bytes from the start of the file (kRead).
    bool ReadFromStart(std::string* bytes, FileError* error);
    // Cuts the file to `size` bytes and puts it on stable storage (kWrite).
    bool CutTo(std::uint64_t size, FileError* error);

    std::u16string path_;
    bool lineEnd_ = false;  // the next append starts by ending the last row
#ifdef _WIN32
    void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
    int fd_ = -1;
#endif
};

// The full path of the existing file at `path`: its folder made absolute and, on Windows, "."
// and ".." resolved. `path` itself when that fails.
std::u16string FullPath(const std::u16string& path);

}  // namespace rawfile
