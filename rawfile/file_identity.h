// What a path names, the identity of a file whatever name it is reached by, and reading a
// whole (small) file: what the field-log planner and its front ends look at files with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "file_ops.h"

#ifndef _WIN32
struct stat;
#endif

namespace rawfile {

enum class EntryKind {
    kMissing,  // nothing there, or it cannot be examined
    kFile,     // a regular file, or a link to one
    kFolder,
    kOther,  // a device, FIFO or socket; inside a listing also a link to a folder
};

// What `path` names, following symbolic links.
EntryKind KindOf(const std::u16string& path);
// The same, where the listing of its folder (read once into `listings`, if any) can tell: a
// regular file or a folder as the listing saw it; anything else is looked at as KindOf does.
EntryKind KindOf(const std::u16string& path, FolderListings* listings);

#ifndef _WIN32
// What an entry examined with stat() or lstat() is.
EntryKind KindOfStat(const struct stat& st);
#else
// The identity of the file or folder open as `handle` (a HANDLE). False when the system cannot
// tell it.
bool IdOfHandle(void* handle, FileId* id);
#endif

// The same file or folder whatever name it is reached by (hard and symbolic links, another
// letter case on Windows): the identity a held or loaded file reports too.
using FileKey = FileId;

// The key of the file or folder at `path`. False when it cannot be examined.
bool KeyOf(const std::u16string& path, FileKey* key);

// Reads the whole file at `path` into *bytes, up to `limit` bytes. False with *reason set (the
// system's words) when it cannot be read; *tooLarge is set instead when it holds more than `limit`
// bytes.
bool ReadFileUpTo(const std::u16string& path, std::size_t limit, std::string* bytes, bool* tooLarge,
                  std::u16string* reason);

}  // namespace rawfile
