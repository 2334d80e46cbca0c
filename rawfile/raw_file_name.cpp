#include "raw_file_name.h"

namespace rawfile {

SplitName SplitRawPath(const std::u16string& path, PathStyle style) {
    const char16_t* separators = style == PathStyle::kWindows ? u"\\/" : u"/";
    const size_t last = path.find_last_of(separators);
    if (last == std::u16string::npos) {
        // A drive-relative path such as C:ABCD0861.RVX: the drive belongs to the folder.
        const bool drive =
            style == PathStyle::kWindows && path.size() > 2 && path[1] == u':' &&
            ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
        return drive ? SplitName{path.substr(0, 2), path.substr(2)} : SplitName{u"", path};
    }
    return {path.substr(0, last + 1), path.substr(last + 1)};
}

PointName DerivePointName(const std::u16string& fileName) {
    const size_t n = fileName.size();
    if (n >= 9) {
        return {fileName.substr(0, n - 8), fileName.substr(n - 8)};
    }
    if (n >= 5) {
        return {fileName.substr(0, n - 4), fileName.substr(n - 4)};
    }
    return {u"", kStandardTail};
}

std::u16string CutPointName(const std::u16string& pointName) {
    if (pointName.size() <= kMaxPointNameUnits) {
        return pointName;
    }
    size_t keep = kMaxPointNameUnits;
    const char16_t last = pointName[keep - 1];
    if (last >= 0xD800 && last <= 0xDBFF) {
        --keep;  // the 8th unit opens a pair whose second half would be cut off
    }
    return pointName.substr(0, keep);
}

bool IsValidPointName(const std::u16string& pointName) {
    for (char16_t c : pointName) {
        if (c < 0x20) {
            return false;
        }
        switch (c) {
            case u'\\':
            case u'/':
            case u':':
            case u'*':
            case u'?':
            case u'"':
            case u'<':
            case u'>':
            case u'|':
                return false;
            default:
                break;
        }
    }
    return true;
}

std::u16string ComposeRawPath(const std::u16string& folder, const std::u16string& pointName,
                              const std::u16string& tail) {
    return folder + CutPointName(pointName) + tail;
}

}  // namespace rawfile
