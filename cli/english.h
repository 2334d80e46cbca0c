// What went wrong in a save, in English: the refusals the dialog shows, and the file failures.
#pragma once

#include <string>

#include "editing.h"

namespace rvxedit {

// Why the save failed or was refused, and what state the file was left in; `target` is the path
// the rename was to make.
std::u16string SaveFailureText(const rawfile::SaveOutcome& outcome, const std::u16string& target);

}  // namespace rvxedit
