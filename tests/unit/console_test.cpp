// The progress line: when it is drawn, and that it is cleared by the columns it takes; and the
// result lines gathered for a file.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>

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

#ifndef _WIN32
// Results going to a file are gathered, but none is lost or comes after a problem line that
// followed it: both streams here go to one file, as with 2>&1.
TEST(Console, GatheredResultsKeepTheirPlaceBeforeProblems) {
    std::fflush(stdout);
    std::fflush(stderr);
    char name[] = "/tmp/rvx_console_XXXXXX";
    const int file = mkstemp(name);
    ASSERT_GE(file, 0);
    const int savedOut = dup(1);
    const int savedErr = dup(2);
    dup2(file, 1);
    dup2(file, 2);
    {
        Console console(TextsFor(texts::Language::kEnglish));
        console.Out(u"one");
        console.Out(u"two");
        console.Err(u"problem");
        console.Out(u"three");
    }
    std::fflush(stdout);
    dup2(savedOut, 1);
    dup2(savedErr, 2);
    close(savedOut);
    close(savedErr);
    char bytes[256] = {};
    const ssize_t n = pread(file, bytes, sizeof bytes - 1, 0);
    close(file);
    unlink(name);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(n)),
              "one\ntwo\nrvxedit: problem\nthree\n");
}
#endif
