// The field-log window's cells as the list shows them: the file's name first, and every text on
// one line.
#include <gtest/gtest.h>

#include "log_messages.h"

TEST(LogCells, FileNameFirstThenItsFolder) {
    const struct {
        std::u16string path, logFolder, cell;
    } cases[] = {
        {u"D:\\log\\A1.RVX", u"D:\\log\\", u"A1.RVX"},
        {u"D:\\log\\\u7B2C\u4E00\u5929/\u63A5\u6536\u673A2/ABCD0861.RVX", u"D:\\log\\",
         u"ABCD0861.RVX \u2014 \u7B2C\u4E00\u5929\\\u63A5\u6536\u673A2"},
        {u"E:\\other\\X.RVX", u"D:\\log\\", u"X.RVX \u2014 E:\\other"},
        {u"E:\\X.RVX", u"D:\\log\\", u"X.RVX \u2014 E:\\"},
        {u"A1.RVX", u"", u"A1.RVX"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(texts::LogFileCell(c.path, c.logFolder), c.cell);
    }
}

TEST(LogCells, LineBreaksAndTabsBecomeSpaces) {
    EXPECT_EQ(texts::OneLineText(u"a\r\nb\nc\rd\te"), u"a b c d e");
    EXPECT_EQ(texts::OneLineText(u"\u76EE\u6807\n\r\n"), u"\u76EE\u6807  ");
}
