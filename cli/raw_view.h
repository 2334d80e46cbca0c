// A raw file as the dialog sees it after a load: its header values, its point name and kept
// tail, and the height text its field shows.
#pragma once

#include <string>

#include "editing.h"
#include "options.h"

namespace rvxedit {

using RawView = rawfile::EditedFile;

// Loads the header of the file named by `file`. False with *reason set (in English) when the
// file cannot be loaded.
bool LoadView(const Arg& file, RawView* view, std::u16string* reason);

// ASCII text as UTF-16.
std::u16string Widen(const std::string& ascii);

}  // namespace rvxedit
