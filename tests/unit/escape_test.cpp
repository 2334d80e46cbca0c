// Texts made safe for one-line reports and JSON: control characters, quotes, and surrogates;
// values filled into messages.
#include <gtest/gtest.h>

#include "escape.h"
#include "messages.h"

using namespace rvxedit;

TEST(Escape, JsonStrings) {
    const struct {
        std::u16string text, json;
    } cases[] = {
        {u"", u"\"\""},
        {u"a\"b\\c/", u"\"a\\\"b\\\\c/\""},
        {u"\n\r\t", u"\"\\n\\r\\t\""},
        {std::u16string(u"\0\x01\x1f\x7f", 4), u"\"\\u0000\\u0001\\u001f\\u007f\""},
        {u"\u6D4B\u00E9\U0001F600", u"\"\u6D4B\u00E9\U0001F600\""},
        {std::u16string{u'a', 0xD83D}, u"\"a\\ufffd\""},
        {std::u16string{0xDE00, 0xD83D, u'x'}, u"\"\\ufffd\\ufffdx\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonString(c.text), c.json);
    }
    // Header bytes stand for the characters of their codes.
    EXPECT_EQ(JsonBytes("M\"\x01\xE9"), u"\"M\\\"\\u0001\u00E9\"");
}

TEST(Escape, OneLineAndQuotedTexts) {
    EXPECT_EQ(OneLine(u"a\nb\x1b\x7f\u6D4B\"\\"), u"a\\x0ab\\x1b\\x7f\u6D4B\"\\");
    // A report line takes a clean name as it stands, and only an escaped one is kept apart.
    const std::u16string clean = u"ABCD0861.RVX";
    std::u16string own;
    EXPECT_EQ(OneLine(clean, &own).data(), clean.data());
    EXPECT_EQ(OneLine(u"a\rb", &own), u"a\\x0db");
    std::u16string line = u"x: ";
    AppendOneLine(&line, u"a\tb");
    EXPECT_EQ(line, u"x: a\\x09b");
    EXPECT_EQ(Quote(u"a\"\\\t\u6D4B"), u"\"a\\\"\\\\\\x09\u6D4B\"");
    EXPECT_EQ(QuoteBytes("a\"\\\t\xE9\x7f"), u"\"a\\\"\\\\\\x09\\xe9\\x7f\"");
}

TEST(Escape, MessagesTakeTheirValuesInPlace) {
    // A mark without a value it names stays as written.
    EXPECT_EQ(texts::Fill(u"%2 then %1, 100%%1 %3%", {u"a", u"\u6D4B"}),
              u"\u6D4B then a, 100%a %3%");
    EXPECT_EQ(texts::Fill(u"", {u"a"}), u"");
    std::u16string line = u"kept ";
    texts::AppendFilled(&line, u"%1!", {u"a"});
    EXPECT_EQ(line, u"kept a!");
}
