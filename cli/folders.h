// Folders on the command line and in a field log: a folder given with -r stands for every raw
// file under it.
#pragma once

#include <string>
#include <vector>

#include "cli_texts.h"
#include "file_identity.h"
#include "options.h"

namespace rvxedit {

using rawfile::EntryKind;
using rawfile::KindOf;

struct FolderEntry {
    Arg name;
    EntryKind kind = EntryKind::kMissing;
};

// The entries of the folder at `path`, without "." and "..", in no particular order; a link to
// a folder is listed as kOther, so that a walk never follows one (and never loops). False with
// *reason set (the system's words) when the folder cannot be read.
bool ListFolder(const std::u16string& path, std::vector<FolderEntry>* entries,
                std::u16string* reason);

using rawfile::FileKey;
using rawfile::KeyOf;
using rawfile::ReadFileUpTo;

// One file to work on, or why an argument (or a folder under it) gave none.
struct FileItem {
    Arg path;
    std::u16string problem;              // empty for a file to work on
    std::u16string englishProblem = {};  // the problem in English, for output programs read
};

// Whether a file name is a raw file's: it ends in .RVX, in any letter case.
bool IsRawFileName(const std::u16string& name);

// Appends what one argument stands for to *out: the argument itself when it is not a folder;
// for a folder with `recursive`, every raw file under it at any depth (a name ending in .RVX in
// any letter case; hidden folders too), depth first in name order; for a folder without it, a
// problem (in the texts' language and in English).
// With `listings`, a file or folder is told from its folder's listing where it can be (see
// KindOf), the listing kept there for the checks that follow.
void ExpandArg(const Arg& arg, bool recursive, const CliTexts& t, std::vector<FileItem>* out,
               rawfile::FolderListings* listings = nullptr);

}  // namespace rvxedit
