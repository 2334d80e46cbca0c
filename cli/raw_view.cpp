#include "raw_view.h"

#include "english.h"
#include "file_ops.h"
#include "text.h"

namespace rvxedit {

bool LoadView(const Arg& file, RawView* view, std::u16string* reason) {
    if (!file.exact) {
        *reason = u"the file name is not valid UTF-8 text";
        return false;
    }
    const auto style =
        rawfile::PlatformIsWindows() ? rawfile::PathStyle::kWindows : rawfile::PathStyle::kPosix;
    const rawfile::LoadError error = rawfile::LoadForEditing(file.text, style, view);
    if (error != rawfile::LoadError::kNone) {
        *reason = LoadFailureText(error);
        return false;
    }
    return true;
}

std::u16string Widen(const std::string& ascii) {
    return rawfile::BytesToText(ascii);
}

}  // namespace rvxedit
