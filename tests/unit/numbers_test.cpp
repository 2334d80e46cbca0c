// Number reading and printing must give the same results in the Windows and the native build.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "numbers.h"

using namespace rawfile;

TEST(Numbers, LeadingScanReadsDecimalPrefixes) {
    EXPECT_EQ(ScanLeadingDouble(" 2.0\r\n"), 2.0);
    EXPECT_EQ(ScanLeadingDouble("\t-.5x"), -0.5);
    EXPECT_EQ(ScanLeadingDouble("1e"), 1.0);  // an exponent without digits is not part of it
    EXPECT_EQ(ScanLeadingDouble("1.5e+2z"), 150.0);
    EXPECT_EQ(ScanLeadingDouble("0x10"), 0.0);  // decimal only
    EXPECT_TRUE(std::isinf(ScanLeadingDouble("-99999e99999999999999999999")));
    EXPECT_EQ(ScanLeadingDouble("1e-400"), 0.0);
    // An exponent at the very top of its type must not overflow the magnitude sum.
    EXPECT_TRUE(std::isinf(ScanLeadingDouble("1511e9223372036854775807")));
    EXPECT_EQ(ScanLeadingDouble("0.0001e-9223372036854775808"), 0.0);
    EXPECT_EQ(ScanLeadingDouble("0.000001e-99999999999999999999"), 0.0);
    EXPECT_TRUE(std::isinf(ScanLeadingFloat("1e39")));
}

TEST(Numbers, FixedPrintingRoundsTheExactValue) {
    EXPECT_EQ(FormatFixed(2.0, 1), "2.0");
    EXPECT_EQ(FormatFixed(0.25, 1), "0.2");  // exact tie: to even
    EXPECT_EQ(FormatFixed(1e300, 1).size(), 303u);
    EXPECT_EQ(FormatFixed(INFINITY, 1), "inf");
    EXPECT_EQ(FormatFixed(-0.0004, 3), "0.000");
    EXPECT_EQ(FormatFixed(-1.0005, 3), "-1.000");  // just below the tie in binary
}

// Small values are printed without the general printer: both must agree on every value, exact
// ties in binary and values just beside them included.
TEST(Numbers, FixedPrintingOfSmallValuesMatchesTheStandardPrinting) {
    const auto standard = [](double value, int decimals) {
        char buffer[400];
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals)
                .ptr;
        std::string text(buffer, end);
        return text[0] == '-' && text.find_first_of("123456789") == std::string::npos
                   ? text.substr(1)
                   : text;
    };
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
        const int decimals = i % 5;
        double value = std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(i % 64));
        value = i % 3 == 0 ? std::nextafter(value, 0.0) : value;  // beside a tie
        value = i % 2 == 0 ? -value : value;
        ASSERT_EQ(FormatFixed(value, decimals), standard(value, decimals)) << value;
    }
    // Sixteenths hold exact ties for every number of decimals up to 3.
    for (int k = -4000; k <= 4000; ++k) {
        for (int decimals = 0; decimals <= 3; ++decimals) {
            ASSERT_EQ(FormatFixed(k / 16.0, decimals), standard(k / 16.0, decimals)) << k;
        }
    }
    for (const double value : {-0.0, 1e15, 999999999999999.9, 5e-324}) {
        for (int decimals = 0; decimals <= 3; ++decimals) {
            EXPECT_EQ(FormatFixed(value, decimals), standard(value, decimals)) << value;
        }
    }
}

TEST(Numbers, StrictParseAcceptsOnlyWholeDecimalNumbers) {
    const struct {
        const char16_t* text;
        float value;
    } good[] = {{u"1.5", 1.5f},
                {u" 1.6 ", 1.6f},
                {u"+2", 2.0f},
                {u"-0.5", -0.5f},
                {u".5", 0.5f},
                {u"5.", 5.0f},
                {u"1.50000000000000", 1.5f},
                {u"\t3\t", 3.0f}};
    float v = 0;
    for (const auto& c : good) {
        v = -99;
        EXPECT_TRUE(ParseStrictFloat(c.text, &v)) << std::u16string(c.text).size();
        EXPECT_EQ(v, c.value) << std::u16string(c.text).size();
    }
    for (const char16_t* bad :
         {u"", u"  ", u"abc", u"1,5", u"1.5m", u"1.2.3", u"e3", u"1e", u"--1", u"0x10", u"inf",
          u"nan", u"\uFF11", u"1 5", u".", u"1e3", u"1.6e0", u"3E-2"}) {
        EXPECT_FALSE(ParseStrictFloat(bad, &v));
    }
    ASSERT_TRUE(ParseStrictFloat(std::u16string(40, u'9'), &v));
    EXPECT_TRUE(std::isinf(v));
}
