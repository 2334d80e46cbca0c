// Folders on the command line and in a field log, and the identity of files: a folder given
// with -r stands for every raw file under it, and two names of one file are told apart from
// two files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli_texts.h"
#include "options.h"

namespace rvxedit {

enum class EntryKind {
    kMissing,  // nothing there, or it cannot be examined
    kFile,     // a regular file, or a link to one
    kFolder,
    kOther,  // a device, FIFO or socket; inside a listing also a link to a folder
};

// What `path` names, following symbolic links.
EntryKind KindOf(const std::u16string& path);

struct FolderEntry {
    Arg name;
    EntryKind kind = EntryKind::kMissing;
};

// The entries of the folder at `path`, without "." and "..", in no particular order; a link to
// a folder is listed as kOther, so that a walk never follows one (and never loops). False with
// *reason set (the system's words) when the folder cannot be read.
bool ListFolder(const std::u16string& path, std::vector<FolderEntry>* entries,
                std::u16string* reason);

// The same file or folder whatever name it is reached by (hard and symbolic links, another
// letter case on Windows): its volume and its index there.
struct FileKey {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator<(const FileKey& other) const {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};

// The key of the file or folder at `path`. False when it cannot be examined.
bool KeyOf(const std::u16string& path, FileKey* key);

// Reads the whole file at `path` into *bytes, up to `limit` bytes. False with *reason set (the
// system's words) when it cannot be read; *tooLarge is set instead when it holds more than `limit`
// bytes.
bool ReadFileUpTo(const std::u16string& path, std::size_t limit, std::string* bytes, bool* tooLarge,
                  std::u16string* reason);

// One file to work on, or why an argument (or a folder under it) gave none.
struct FileItem {
    Arg path;
    std::u16string problem;              // empty for a file to work on
    std::u16string englishProblem = {};  // the problem in English, for output programs read
};

// Appends what one argument stands for to *out: the argument itself when it is not a folder;
// for a folder with `recursive`, every raw file under it at any depth (a name ending in .RVX in
// any letter case; hidden folders too), depth first in name order; for a folder without it, a
// problem (in the texts' language and in English).
void ExpandArg(const Arg& arg, bool recursive, const CliTexts& t, std::vector<FileItem>* out);

}  // namespace rvxedit
