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
    const rawfile::LoadError error = editor->Load(file.text);
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
