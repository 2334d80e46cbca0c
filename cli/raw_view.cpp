#include "raw_view.h"

#include "messages.h"
#include "text.h"

namespace rvxedit {

bool LoadFile(const Arg& file, const CliTexts& t, rawfile::RawFileEditor* editor,
              std::u16string* reason) {
    if (!file.exact) {
        *reason = t.nameNotUtf8;
        return false;
    }
    rawfile::FileError readError;
    const rawfile::LoadError error =
        editor->Load(file.text, rawfile::PlatformPathStyle(), &readError);
    if (error == rawfile::LoadError::kReadFailed) {
        *reason = Fill(t.readFailed, {readError.reason});
        return false;
    }
    if (error != rawfile::LoadError::kNone) {
        *reason = texts::LoadFailure(error, t.language);
        return false;
    }
    return true;
}

std::u16string Widen(const std::string& ascii) {
    return rawfile::BytesToText(ascii);
}

}  // namespace rvxedit
