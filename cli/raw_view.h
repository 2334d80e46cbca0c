// A raw file loaded as the dialog loads it, named by a command-line argument.
#pragma once

#include <string>

#include "cli_texts.h"
#include "editing.h"
#include "options.h"

namespace rvxedit {

// Loads the header of the file named by `file` into `editor`. False with *reason set (in the
// texts' language) when the file cannot be loaded, and *englishReason too when it is given.
bool LoadFile(const Arg& file, const CliTexts& t, rawfile::RawFileEditor* editor,
              std::u16string* reason, std::u16string* englishReason = nullptr);

}  // namespace rvxedit
