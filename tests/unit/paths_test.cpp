// Paths by the rules of each platform: splitting, joining, and what is absolute.
#include <gtest/gtest.h>

#include "paths.h"

using namespace rawfile;

namespace {

constexpr PathStyle kWin = PathStyle::kWindows;
constexpr PathStyle kPosix = PathStyle::kPosix;

}  // namespace

TEST(Paths, SplitJoinAndAbsolute) {
    const struct {
        PathStyle style;
        std::u16string path, folder, name;
        bool absolute;
    } cases[] = {
        {kWin, u"D:\\obs\\A.RVX", u"D:\\obs\\", u"A.RVX", true},
        {kWin, u"D:/obs/A.RVX", u"D:/obs/", u"A.RVX", true},
        {kWin, u"C:A.RVX", u"C:", u"A.RVX", true},  // the drive's own current folder
        {kWin, u"\\obs\\A.RVX", u"\\obs\\", u"A.RVX", true},
        {kWin, u"obs\\A.RVX", u"obs\\", u"A.RVX", false},
        {kWin, u"A.RVX", u"", u"A.RVX", false},
        {kWin, u"1:A.RVX", u"", u"1:A.RVX", false},  // no drive letter
        {kPosix, u"/d/a\\b.RVX", u"/d/", u"a\\b.RVX", true},
        {kPosix, u"C:A.RVX", u"", u"C:A.RVX", false},
        {kPosix, u"d/A.RVX", u"d/", u"A.RVX", false},
    };
    for (const auto& c : cases) {
        const SplitName s = SplitRawPath(c.path, c.style);
        EXPECT_EQ(s.folder, c.folder);
        EXPECT_EQ(s.fileName, c.name);
        EXPECT_EQ(JoinPath(s.folder, s.fileName, c.style), c.path);
        EXPECT_EQ(IsAbsolutePath(c.path, c.style), c.absolute);
    }
    EXPECT_EQ(JoinPath(u"D:\\obs", u"A", kWin), u"D:\\obs\\A");
    EXPECT_EQ(JoinPath(u"obs", u"A", kPosix), u"obs/A");
    EXPECT_EQ(JoinPath(u"a\\", u"A", kPosix), u"a\\/A");
    EXPECT_FALSE(IsAbsolutePath(u"", kWin));
}
