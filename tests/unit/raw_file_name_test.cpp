// The point name in the file name: splitting, deriving, cutting and composing.
#include <gtest/gtest.h>

#include "raw_file_name.h"
#include "text.h"

using namespace rawfile;

TEST(RawFileName, SplitAndDeriveAsTheNamingTableSays) {
    struct Case {
        std::u16string path, folder, point, tail;
    };
    const Case cases[] = {
        {u"D:\\obs\\ABCD0861.RVX", u"D:\\obs\\", u"ABCD", u"0861.RVX"},
        {u"D:\\obs\\X0861.RVX", u"D:\\obs\\", u"X", u"0861.RVX"},
        {u"D:\\obs\\STATIONALPHA0861.RVX", u"D:\\obs\\", u"STATIONALPHA", u"0861.RVX"},
        {u"D:\\obs\\0861.RVX", u"D:\\obs\\", u"0861", u".RVX"},
        {u"D:\\obs\\AB.RVX", u"D:\\obs\\", u"AB", u".RVX"},
        {u"D:\\obs\\A.RV", u"D:\\obs\\", u"", u".RVX"},
        {u"ABCD0861.RVX", u"", u"ABCD", u"0861.RVX"},
        {u"D:/obs/ABCD0861.RVX", u"D:/obs/", u"ABCD", u"0861.RVX"},
        {u"C:ABCD0861.RVX", u"C:", u"ABCD", u"0861.RVX"},
        // A cut inside a surrogate pair gives the whole pair to the tail.
        {u"D:\\obs\\X\U0001D11E861.RVX", u"D:\\obs\\", u"X", u"\U0001D11E861.RVX"},
        {u"D:\\obs\\", u"D:\\obs\\", u"", u".RVX"},
    };
    for (const auto& c : cases) {
        const SplitName s = SplitRawPath(c.path, PathStyle::kWindows);
        EXPECT_EQ(s.folder, c.folder);
        const PointName p = DerivePointName(s.fileName);
        EXPECT_EQ(p.pointName, c.point);
        EXPECT_EQ(p.tail, c.tail);
        // A name of 5 to 16 units comes back unchanged with its own point name.
        if (s.fileName.size() >= 5 && s.fileName.size() <= 16) {
            EXPECT_EQ(ComposeRawPath(s.folder, p.pointName, p.tail), c.path);
        }
    }
}

TEST(RawFileName, CutNeverSplitsASurrogatePair) {
    const std::u16string emoji = u"\U0001F600";  // two units
    EXPECT_EQ(CutPointName(u"ABCDEFG" + emoji), u"ABCDEFG");
    EXPECT_EQ(CutPointName(u"ABCDEF" + emoji + u"X"), u"ABCDEF" + emoji);
    EXPECT_EQ(CutPointName(u"ABCDEF" + emoji), u"ABCDEF" + emoji);
    EXPECT_EQ(CutPointName(u"STATIONALPHA"), u"STATIONA");
    EXPECT_EQ(CutPointName(u"\u6D4B\u8BD5\u70B9\u540D\u4E00\u4E8C\u4E09\u56DB\u4E94"),
              u"\u6D4B\u8BD5\u70B9\u540D\u4E00\u4E8C\u4E09\u56DB");
}

TEST(RawFileName, PointNamesAFileNameCannotHoldAreRejected) {
    for (const char16_t* bad :
         {u"A\\B", u"A/B", u"C:", u"*", u"?", u"\"", u"<", u">", u"|", u"A\tB", u"\n"}) {
        EXPECT_FALSE(IsValidPointName(bad)) << static_cast<int>(bad[0]);
    }
    for (const char16_t* good : {u"", u"ABCD", u"a b.c", u"\u6D4B\u8BD5", u"#1-(2)"}) {
        EXPECT_TRUE(IsValidPointName(good));
    }
}

TEST(RawFileName, DeviceNamesAreReservedInAnyCase) {
    for (const char16_t* name : {u"NUL.RVX", u"con.RVX", u"Com1.RVX", u"lpt9.X.RVX", u"AUX .RVX",
                                 u"COM\u00B9.RVX", u"lpt\u00B3.RVX"}) {
        EXPECT_TRUE(IsReservedDeviceName(name)) << Utf16ToUtf8(name);
    }
    for (const char16_t* name :
         {u"NUL0861.RVX", u"COM0.RVX", u"LPT10.RVX", u"COM.RVX", u".NUL", u"COM\u2074.RVX"}) {
        EXPECT_FALSE(IsReservedDeviceName(name)) << Utf16ToUtf8(name);
    }
}
