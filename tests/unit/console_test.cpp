// The progress line: when it is drawn, and that it is cleared by the columns it takes.
#include <gtest/gtest.h>

#include "console.h"

using namespace rvxedit;

TEST(Console, DisplayWidthCountsWideCharactersTwice) {
    EXPECT_EQ(DisplayWidth(u""), 0u);
    EXPECT_EQ(DisplayWidth(u"rvxedit: 3 of 9 files"), 21u);
    EXPECT_EQ(DisplayWidth(u"rvxedit: 3/9 \u4E2A\u6587\u4EF6"), 19u);
    EXPECT_EQ(DisplayWidth(u"\uAC00\uFF21\u00E9\U0001F600\U00020000"), 9u);
}

TEST(Console, ProgressLineWaitsThenRedrawsAtMostEvery100ms) {
    using std::chrono::milliseconds;
    const ProgressLine::Clock::time_point start{};
    ProgressLine line(start);
    EXPECT_EQ(line.Clear(), u"");
    EXPECT_FALSE(line.Due(start + milliseconds(499)));
    ASSERT_TRUE(line.Due(start + milliseconds(500)));
    EXPECT_EQ(line.Draw(u"\u6587\u4EF6 9", start + milliseconds(500)), u"\r\u6587\u4EF6 9");
    EXPECT_FALSE(line.Due(start + milliseconds(599)));
    ASSERT_TRUE(line.Due(start + milliseconds(600)));
    // A narrower line blanks out the rest of the wider one.
    EXPECT_EQ(line.Draw(u"ab", start + milliseconds(600)), u"\rab    ");
    EXPECT_EQ(line.Clear(), u"\r      \r");
    EXPECT_EQ(line.Clear(), u"");
    EXPECT_FALSE(line.Due(start + milliseconds(699)));  // results between lines draw none sooner
    EXPECT_TRUE(line.Due(start + milliseconds(700)));
}
