// A raw file opened for editing: what the editor shows of it and what a later save needs.
#pragma once

#include <string>

#include "loader.h"
#include "raw_file_name.h"
#include "save.h"

namespace rawfile {

struct EditedFile {
    LoadedFile file;            // path, folder, kept tail and header values
    std::u16string fileName;    // the file-name part of the path
    std::u16string pointName;   // the leading part of the file name
    std::u16string heightText;  // the loaded height with three decimals
};

// Loads the file at `path` for editing. The path, folder and file name are filled in whatever
// the outcome; the rest only when the load succeeds.
LoadError LoadForEditing(const std::u16string& path, PathStyle style, EditedFile* edited);

}  // namespace rawfile
