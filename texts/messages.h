// The messages the dialog and rvxedit show when a load fails or a save is refused, in the two
// languages the programs speak. The Chinese texts are the dialog's own, word for word.
#pragma once

#include <string>

#include "loader.h"
#include "save.h"

namespace texts {

enum class Language { kChinese, kEnglish };

// Why a load failed; empty for kNone. For kReadFailed the caller adds the system's reason.
std::u16string LoadFailure(rawfile::LoadError error, Language language);

// Why a save was refused before anything changed; `target` is the path a rename would have
// replaced. Empty for kNone.
std::u16string Refusal(rawfile::SaveRefusal refusal, const std::u16string& target,
                       Language language);

// The save's answer when no file is loaded.
std::u16string ImportFirst(Language language);

}  // namespace texts
