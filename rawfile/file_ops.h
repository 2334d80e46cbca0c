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

// The system's text for an error code (errno on POSIX, GetLastError() on Windows).
std::u16string SystemReason(std::uint32_t code);

// Opens an existing regular file for binary reading ("rb" semantics). Null when it cannot be
// opened or is no regular file (a folder, FIFO, device or socket), which it never waits on.
std::FILE* OpenForReading(const std::u16string& path);

// Writes `block` over the first 160 bytes of the existing file at `path`, opened for reading
// and writing, shared with nobody, never created and never truncated; everything after byte
// 159 stays as it was, and a shorter file grows to 160 bytes. A path that is no regular file
// fails to open, without waiting. False with *error set on failure.
bool WriteHeaderBlock(const std::u16string& path, const HeaderBlock& block, FileError* error);

enum class TargetState {
    kFree,      // nothing exists at the target path
    kSameFile,  // the target is the source's own entry: the same path, or on Windows the same
                // path in other letter case
    kOther,     // anything else exists there, a second hard link of the source included
};

// What lies at `to`, seen from the file at `from`.
TargetState CheckRenameTarget(const std::u16string& from, const std::u16string& to);

// Renames `from` to `to`, failing when `to` exists (it never replaces a file); on Windows the
// source's own entry in other letter case is renamed in place. False with *error set on failure.
bool RenameNoReplace(const std::u16string& from, const std::u16string& to, FileError* error);

}  // namespace rawfile
