// The few file operations a load and a save need, with one implementation for Win32 and one
// for POSIX. Paths are UTF-16 text; the POSIX side stores them as UTF-8.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "header_block.h"

namespace rawfile {

enum class FileOp { kOpen, kWrite, kRename };

// A failed operation: what was attempted, on which path, and the system's reason.
struct FileError {
    FileOp op = FileOp::kOpen;
    std::u16string path;
    std::uint32_t code = 0;  // GetLastError() or errno
    std::u16string reason;   // the system's text for `code`
};

// Opens an existing file for binary reading ("rb" semantics). Null when it cannot be opened.
std::FILE* OpenForReading(const std::u16string& path);

// Writes `block` over the first 160 bytes of the existing file at `path`, opened for reading
// and writing, shared with nobody, never created and never truncated; everything after byte
// 159 stays as it was, and a shorter file grows to 160 bytes. False with *error set on failure.
bool WriteHeaderBlock(const std::u16string& path, const HeaderBlock& block, FileError* error);

enum class TargetState {
    kFree,      // nothing exists at the target path
    kSameFile,  // the target path names the source file itself (e.g. in other letter case)
    kOther,     // another file or folder exists there
};

// What lies at `to`, seen from the file at `from`.
TargetState CheckRenameTarget(const std::u16string& from, const std::u16string& to);

// Renames `from` to `to`, failing when `to` exists (it never replaces a file), except that the
// same file under another spelling is renamed in place. False with *error set on failure.
bool RenameNoReplace(const std::u16string& from, const std::u16string& to, FileError* error);

}  // namespace rawfile
