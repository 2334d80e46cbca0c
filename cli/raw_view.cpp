#include "raw_view.h"

#include "messages.h"
#include "text.h"

namespace rvxedit {

bool LoadFile(const Arg& file, const CliTexts& t, rawfile::RawFileEditor* editor,
              std::u16string* reason, std::u16string* englishReason) {
    std::u16string english;
    rawfile::FileError readError;
    if (!file.exact) {
        *reason = t.nameNotUtf8;
        english = TextsFor(texts::Language::kEnglish).nameNotUtf8;
    } else if (const rawfile::LoadError error =
                   editor->Load(file.text, rawfile::PlatformPathStyle(), &readError);
               error != rawfile::LoadError::kNone) {
        *reason = LoadFailureText(error, readError.reason, t);
        // The system's reason for a failed open is in the user's language: "error" does without.
        const bool open = error == rawfile::LoadError::kOpenFailed;
        english = LoadFailureText(error, open ? u"" : readError.reason,
                                  TextsFor(texts::Language::kEnglish));
    } else {
        return true;
    }
    if (englishReason != nullptr) {
        *englishReason = english;
    }
    return false;
}

}  // namespace rvxedit
