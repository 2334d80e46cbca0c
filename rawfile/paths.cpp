#include "paths.h"

namespace rawfile {

namespace {

bool IsSeparator(char16_t c, PathStyle style) {
    return c == u'/' || (style == PathStyle::kWindows && c == u'\\');
}

// True when the path starts with a drive letter and its colon, as "C:" does.
bool HasDrive(std::u16string_view path, PathStyle style) {
    return style == PathStyle::kWindows && path.size() >= 2 && path[1] == u':' &&
           ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

// Where the file name starts in `path`: the folder's length.
std::size_t NameStart(std::u16string_view path, PathStyle style) {
    for (std::size_t at = path.size(); at > 0; --at) {
        if (IsSeparator(path[at - 1], style)) {
            return at;
        }
    }
    // A drive-relative path such as C:ABCD0861.RVX: the drive belongs to the folder.
    return path.size() > 2 && HasDrive(path, style) ? 2 : 0;
}

}  // namespace

std::u16string_view FolderPart(std::u16string_view path, PathStyle style) {
    return path.substr(0, NameStart(path, style));
}

std::u16string_view NamePart(std::u16string_view path, PathStyle style) {
    return path.substr(NameStart(path, style));
}

SplitName SplitRawPath(const std::u16string& path, PathStyle style) {
    return {std::u16string(FolderPart(path, style)), std::u16string(NamePart(path, style))};
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
