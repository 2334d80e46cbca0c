#include "paths.h"

namespace rawfile {

namespace {

bool IsSeparator(char16_t c, PathStyle style) {
    return c == u'/' || (style == PathStyle::kWindows && c == u'\\');
}

// True when the path starts with a drive letter and its colon, as "C:" does.
bool HasDrive(const std::u16string& path, PathStyle style) {
    return style == PathStyle::kWindows && path.size() >= 2 && path[1] == u':' &&
           ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

}  // namespace

SplitName SplitRawPath(const std::u16string& path, PathStyle style) {
    const size_t last = path.find_last_of(style == PathStyle::kWindows ? u"\\/" : u"/");
    if (last != std::u16string::npos) {
        return {path.substr(0, last + 1), path.substr(last + 1)};
    }
    // A drive-relative path such as C:ABCD0861.RVX: the drive belongs to the folder.
    if (path.size() > 2 && HasDrive(path, style)) {
        return {path.substr(0, 2), path.substr(2)};
    }
    return {u"", path};
}

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name, PathStyle style) {
    if (folder.empty() || IsSeparator(folder.back(), style) ||
        (folder.size() == 2 && HasDrive(folder, style))) {
        return folder + name;
    }
    return folder + (style == PathStyle::kWindows ? u'\\' : u'/') + name;
}

bool IsAbsolutePath(const std::u16string& path, PathStyle style) {
    return (!path.empty() && IsSeparator(path[0], style)) || HasDrive(path, style);
}

}  // namespace rawfile
