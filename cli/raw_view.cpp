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
               error == rawfile::LoadError::kReadFailed) {
        *reason = Fill(t.readFailed, {readError.reason});
        english = Fill(TextsFor(texts::Language::kEnglish).readFailed, {readError.reason});
    } else if (error != rawfile::LoadError::kNone) {
        *reason = texts::LoadFailure(error, t.language);
        english = texts::LoadFailure(error, texts::Language::kEnglish);
    } else {
        return true;
    }
    if (englishReason != nullptr) {
        *englishReason = english;
    }
    return false;
}

}  // namespace rvxedit
