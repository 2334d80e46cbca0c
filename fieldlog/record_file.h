// The file a change record is appended to, each append on stable storage before it returns, and
// the full paths the record names files by.
#pragma once

#include <cstdint>
#include <string>

#include "file_ops.h"

namespace rawfile {

// What a file named as the change record is. Rows are only ever appended to a record: a new
// file, an empty one or one that starts with the record's column names.
enum class RecordPlace {
    kNew,        // nothing there yet
    kEmpty,      // 0 bytes, or the first part of the column names a stopped writer left
    kRecord,     // its first line (after a UTF-8 byte-order mark) is the record's column names
    kRawFile,    // it loads as a raw file, whatever its name
    kFieldLog,   // its first line names a "file" column
    kNotRecord,  // any other file
    kInput,      // the very file the saves come from (the field log, or the record undone)
    kBusy,       // another writer holds it
    kFailed,     // it cannot be opened or read: see the FileError
};

// True for the places rows may be appended to.
inline bool MayAppend(RecordPlace place) {
    return place == RecordPlace::kNew || place == RecordPlace::kEmpty ||
           place == RecordPlace::kRecord;
}

// What the file beginning with `bytes` (its first 64 KiB or all of it) is: kEmpty, kRecord,
// kRawFile, kFieldLog or kNotRecord.
RecordPlace JudgeRecord(const std::string& bytes);

// Judges the file at `path` as the record, reading only: kNew when nothing is there and its
// folder is, kInput when it is the file at `input` (empty: none), kFailed (*error) when it cannot
// be read or its folder is missing.
RecordPlace InspectRecord(const std::u16string& path, const std::u16string& input,
                          FileError* error);

class AppendFile {
public:
    AppendFile() = default;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    ~AppendFile();

    // Opens the file at `path` for appending, creating it (and flushing its folder) when it does
    // not exist, for this writer alone (kBusy while another holds it), and judges it as
    // InspectRecord does. It stays open only where MayAppend, a last row cut short being dropped
    // first (see WholeRecordLength). Anything but a regular file is kFailed (kOpen).
    RecordPlace Open(const std::u16string& path, const std::u16string& input, FileError* error);
    bool IsOpen() const;
    // Appends `bytes` and puts them on stable storage (kWrite).
    bool Append(const std::string& bytes, FileError* error);

private:
    // Opens and locks the file, creating it when missing (*created); *busy when another writer
    // holds it; *size its length.
    bool OpenLocked(const std::u16string& path, bool* created, bool* busy, std::uint64_t* size,
                    FileError* error);
    void Close();
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
