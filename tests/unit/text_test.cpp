// Text conversions, malformed input included, and ASCII letter case.
#include <gtest/gtest.h>

#include "text.h"

using namespace rawfile;

TEST(Text, ConversionsReplaceWhatIsMalformed) {
    const struct {
        std::string utf8;
        std::u16string utf16;
        bool exact;  // when true, the conversion back gives `utf8` again
    } cases[] = {
        {"", u"", true},
        {"A\xC3\xA9\xE6\xB5\x8B\xF0\x9F\x98\x80", u"A\u00E9\u6D4B\U0001F600", true},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
        {"a\x80z", u"a\uFFFDz", false},                  // a continuation byte alone
        {"\xC3", u"\uFFFD", false},                      // cut short at the end
        {"\xE6\xB5z", u"\uFFFD\uFFFDz", false},          // cut short before the next character
        {"\xC0\xAF", u"\uFFFD\uFFFD", false},            // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", false},  // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},  // above U+10FFFF
        {"\xFF", u"\uFFFD", false},
    };
    for (const auto& c : cases) {
        bool exact = !c.exact;
        EXPECT_EQ(Utf8ToUtf16(c.utf8, &exact), c.utf16) << c.utf8;
        EXPECT_EQ(exact, c.exact) << c.utf8;
        EXPECT_TRUE(!c.exact || Utf16ToUtf8(c.utf16) == c.utf8) << c.utf8;
    }
    // Unpaired surrogates, alone, in the wrong order, or before another character.
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDE00, 0xD83D, u'x', 0xD83D}),
              "\xEF\xBF\xBD\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(Text, WideTextKeepsEveryUnit) {
    for (const auto& text : {std::u16string(u"A\u6D4B\U0001F600"), std::u16string(1, 0xDC00),
                             std::u16string{u'a', 0xD800}}) {
        EXPECT_EQ(FromWide(ToWide(text)), text);
    }
    EXPECT_EQ(ToWide(u"\U0001F600").size(), sizeof(wchar_t) == 2 ? 2u : 1u);
    EXPECT_EQ(BytesToText("\x01\xE9"), u"\u0001\u00E9");
}

TEST(Text, AsciiCaseChangesOnlyAsciiLetters) {
    EXPECT_EQ(AsciiUpper(u"abz@[`{AZ\u00E9\u00FF\u6D4B.rvx"), u"ABZ@[`{AZ\u00E9\u00FF\u6D4B.RVX");
    EXPECT_EQ(AsciiLower("ABZ@[`{az\xC3\x89 File"), "abz@[`{az\xC3\x89 file");
}

TEST(Text, TrimBlanksDropsOnlyBlanksAtTheEnds) {
    EXPECT_EQ(TrimBlanks(u"  EF GH  "), u"EF GH");
    EXPECT_EQ(TrimBlanks(u"\t\u3000\u00A0\u6D4B\u3000\u7AD9\u00A0 "), u"\u6D4B\u3000\u7AD9");
    EXPECT_EQ(TrimBlanks(u" \t "), u"");
    EXPECT_EQ(TrimBlanks(u"\nAB\r"), u"\nAB\r");
}
