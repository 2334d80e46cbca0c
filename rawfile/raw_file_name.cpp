#include "raw_file_name.h"

namespace rawfile {

namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

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
    if (n < 5) {
        return {u"", kStandardTail};
    }
    size_t split = n >= 9 ? n - 8 : n - 4;
    if (IsLowSurrogate(fileName[split]) && IsHighSurrogate(fileName[split - 1])) {
        --split;  // the tail takes the whole pair
    }
    return {fileName.substr(0, split), fileName.substr(split)};
}

std::u16string CutPointName(const std::u16string& pointName) {
    if (pointName.size() <= kMaxPointNameUnits) {
        return pointName;
    }
    size_t keep = kMaxPointNameUnits;
    if (IsHighSurrogate(pointName[keep - 1])) {
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

bool IsReservedDeviceName(const std::u16string& fileName) {
    std::u16string stem = fileName.substr(0, fileName.find(u'.'));
    // Windows takes "CON .RVX" for the device as well.
    while (!stem.empty() && stem.back() == u' ') {
        stem.pop_back();
    }
    for (char16_t& c : stem) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    if (stem == u"CON" || stem == u"PRN" || stem == u"AUX" || stem == u"NUL") {
        return true;
    }
    const std::u16string port = stem.substr(0, 3);
    return stem.size() == 4 && (port == u"COM" || port == u"LPT") && stem[3] >= u'1' &&
           stem[3] <= u'9';
}

std::u16string ComposeRawPath(const std::u16string& folder, const std::u16string& pointName,
                              const std::u16string& tail) {
    return folder + CutPointName(pointName) + tail;
}

}  // namespace rawfile
