// The reasons a load or a save fails, in English: the same reasons the dialog gives.
#pragma once

#include <string>

#include "loader.h"
#include "save.h"

namespace rvxedit {

// Why the header could not be loaded; empty for kNone.
std::u16string LoadFailureText(rawfile::LoadError error);

// Why a save was refused before anything changed; `target` is the path a rename would have
// replaced.
std::u16string RefusalText(rawfile::SaveRefusal refusal, const std::u16string& target);

// What went wrong in a save that reached the disk, and what state the file was left in.
std::u16string SaveFailureText(const rawfile::SaveOutcome& outcome, const std::u16string& target);

}  // namespace rvxedit
