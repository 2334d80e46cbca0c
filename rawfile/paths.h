// Paths as text, by the separator rules of Windows or of POSIX: where the folder part ends, a
// name joined to a folder, and paths that do not depend on the current folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rawfile {

enum class PathStyle {
    kWindows,  // '\' and '/' both separate folders
    kPosix,    // only '/' does
};

// The separator style of the platform the program runs on.
constexpr PathStyle PlatformPathStyle() {
#ifdef _WIN32
    return PathStyle::kWindows;
#else
    return PathStyle::kPosix;
#endif
}

struct SplitName {
    std::u16string folder;    // up to and including the last separator, or empty
    std::u16string fileName;  // the rest
};

// Splits a path at its last folder separator (on Windows, after a bare drive such as "C:").
SplitName SplitRawPath(const std::u16string& path, PathStyle style);
// SplitRawPath's two parts as views of `path`, which must outlive them.
std::u16string_view FolderPart(std::u16string_view path, PathStyle style);
std::u16string_view NamePart(std::u16string_view path, PathStyle style);

// `name` inside `folder`, with a separator between them where `folder` does not end in one (or,
// on Windows, in a drive's colon). An empty folder gives `name`.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name, PathStyle style);

// True when `path` does not name something inside the current folder: on POSIX it starts with
// '/'; on Windows also a path from the drive's root ("\obs") or a drive's own current folder
// ("D:obs").
bool IsAbsolutePath(const std::u16string& path, PathStyle style);

}  // namespace rawfile
