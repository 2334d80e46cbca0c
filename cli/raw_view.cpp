#include "raw_view.h"

#include "english.h"
#include "file_ops.h"
#include "loader.h"
#include "numbers.h"
#include "raw_file_name.h"
#include "text.h"

namespace rvxedit {

bool LoadView(const Arg& file, RawView* view, std::u16string* reason) {
    if (!file.exact) {
        *reason = u"the file name is not valid UTF-8 text";
        return false;
    }
    const rawfile::LoadResult loaded = rawfile::LoadRawHeader(file.text);
    if (loaded.error != rawfile::LoadError::kNone) {
        *reason = LoadFailureText(loaded.error);
        return false;
    }
    const auto style =
        rawfile::PlatformIsWindows() ? rawfile::PathStyle::kWindows : rawfile::PathStyle::kPosix;
    rawfile::SplitName split = rawfile::SplitRawPath(file.text, style);
    // A drive-relative path such as C:ABCD0861.RVX: the drive belongs to the folder, not to
    // the point name (the dialog only ever sees full paths).
    const std::u16string& p = split.fileName;
    if (style == rawfile::PathStyle::kWindows && split.folder.empty() && p.size() > 2 &&
        p[1] == u':' && ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z'))) {
        split = {p.substr(0, 2), p.substr(2)};
    }
    const rawfile::PointName name = rawfile::DerivePointName(split.fileName);
    RawView v;
    v.path = file.text;
    v.folder = split.folder;
    v.fileName = split.fileName;
    v.pointName = name.pointName;
    v.tail = name.tail;
    v.values = loaded.values;
    v.shownHeight = Widen(rawfile::FormatFixed(loaded.values.antHeight, 3));
    *view = v;
    return true;
}

std::u16string Widen(const std::string& ascii) {
    return rawfile::BytesToText(ascii);
}

}  // namespace rvxedit
