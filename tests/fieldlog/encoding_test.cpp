// A log's encoding: which legacy code page its bytes single out (or that none does), what a
// byte-order mark or zero bytes say, bytes that are no text, and the committed logs as a real
// spreadsheet saved them, each read with nothing named.
#include <gtest/gtest.h>

#include "code_page_check.h"
#include "log_reader.h"
#include "log_text.h"
#include "text.h"

using namespace rawfile;

namespace {

constexpr LegacyPick G = LegacyPick::kGb18030;
constexpr LegacyPick W = LegacyPick::kWindows1252;
constexpr LegacyPick S = LegacyPick::kSystem;
constexpr LegacyPick U = LegacyPick::kUnsure;

TEST(Encoding, OneLegacyCodePageIsTakenOnlyWhenTheBytesSingleItOut) {
    // The pick with no code page of the system's own (a UTF-8 system) as the detector names
    // none, Chinese, Latin or another script; then on a Chinese, a Western and another system.
    const struct {
        const char* what;
        std::string bytes;
        LegacyPick none, chinese, latin, other;  // by the detector, on a UTF-8 system
        LegacyPick onChinese, onLatin, onOther;  // by the system's own code page
    } cases[] = {
        {"windows-1252: Höhe1, Crête, Müller, each a valid GB18030 rarity",
         "file,point\nA.RVX,H\xF6he1\nB.RVX,Cr\xEAte\nC.RVX,M\xFCller\n", W, U, W, U, W, S, U},
        {"GBK: 测站01, 北风, 备注",
         "file,point,\xB1\xB8\xD7\xA2\nA.RVX,\xB2\xE2\xD5\xBE"
         "01,"
         "\xB1\xB1\xB7\xE7\n",
         G, G, G, U, S, G, U},
        {"one Hanzi alone: 测", "file,point\nA.RVX,\xB2\xE2\n", G, G, G, U, S, G, U},
        {"reads as both: CONCEIÇÃO", "p\nCONCEI\xC7\xC3O\n", U, G, W, U, U, U, U},
        {"a word of windows-1252: Conceição", "p\nConcei\xE7\xE3o\n", W, U, W, U, W, S, U},
        {"a symbol alone: 20°C",
         "p,t\nA,20\xB0"
         "C\n",
         W, U, W, U, W, S, U},
        {"windows-1251: Иванов", "p\n\xC8\xE2\xE0\xED\xEE\xE2\n", U, U, U, U, U, U, S},
        {"Big5: 測站點", "p\n\xB4\xFA\xAF\xB8\xC2\x49\n", U, U, U, U, U, U, S},
        {"neither: a byte windows-1252 leaves undefined, no GB18030 character", "p\n\x81 x\n", U, U,
         U, U, U, U, S},
    };
    for (const auto& c : cases) {
        const LegacyEvidence e = WeighLegacyText(c.bytes);
        EXPECT_EQ(PickLegacy(e, Script::kNone, Script::kNone), c.none) << c.what;
        EXPECT_EQ(PickLegacy(e, Script::kNone, Script::kChinese), c.chinese) << c.what;
        EXPECT_EQ(PickLegacy(e, Script::kNone, Script::kLatin), c.latin) << c.what;
        EXPECT_EQ(PickLegacy(e, Script::kNone, Script::kOther), c.other) << c.what;
        EXPECT_EQ(PickLegacy(e, Script::kChinese, Script::kOther), c.onChinese) << c.what;
        EXPECT_EQ(PickLegacy(e, Script::kLatin, Script::kOther), c.onLatin) << c.what;
        EXPECT_EQ(PickLegacy(e, Script::kOther, Script::kOther), c.onOther) << c.what;
    }
    EXPECT_EQ(ScriptOfCharset("ANSI_X3.4-1968"), Script::kNone);
    EXPECT_EQ(ScriptOfCharset("gb2312"), Script::kChinese);
    EXPECT_EQ(ScriptOfCharset("ISO-8859-15"), Script::kLatin);
    EXPECT_EQ(ScriptOfCharset("KOI8-R"), Script::kOther);
}

TEST(Encoding, MarksZeroBytesAndBytesThatAreNoText) {
    const std::string png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const std::string utf16le("f\0i\0l\0e\0\n\0\x4B\x6D", 12);
    const struct {
        std::string bytes;
        TextEncoding asked;
        DecodeProblem problem;
        std::u16string encoding;
        bool fromMark;
        std::string utf8;  // the text, or kControl's line and character, or kMarkDisagrees' ask
    } cases[] = {
        {std::string("\xFF\xFE"
                     "f\0",
                     4),
         TextEncoding::kWindows1252, DecodeProblem::kMarkDisagrees, u"UTF-16 LE", true,
         "windows-1252"},
        {"\xEF\xBB\xBF"
         "file\n",
         TextEncoding::kUtf16Be, DecodeProblem::kMarkDisagrees, u"UTF-8", true, "UTF-16 BE"},
        {"\xEF\xBB\xBF"
         "file\n",
         TextEncoding::kUtf8, DecodeProblem::kNone, u"UTF-8", true, "file\n"},
        {std::string("\xFE\xFF\0f", 4), TextEncoding::kAuto, DecodeProblem::kNone, u"UTF-16 BE",
         true, "f"},
        {utf16le, TextEncoding::kAuto, DecodeProblem::kNone, u"UTF-16 LE", false,
         "file\n\xE6\xB5\x8B"},
        {std::string("\0f\0\n\0"
                     "1",
                     6),
         TextEncoding::kAuto, DecodeProblem::kNone, u"UTF-16 BE", false, "f\n1"},
        // UTF-16 read as what it is not, a PNG, and a raw file's zero-filled header.
        {utf16le, TextEncoding::kUtf8, DecodeProblem::kControl, u"UTF-8", false, "1 0x00"},
        {png, TextEncoding::kAuto, DecodeProblem::kControl, u"", false, "2 0x1A"},
        {std::string("VORTALIX\r\nver 2.0\r\n") + std::string(20, '\0'), TextEncoding::kAuto,
         DecodeProblem::kControl, u"UTF-8", false, "3 0x00"},
        {"file\n\xE9t\xE9\x01\n", TextEncoding::kWindows1252, DecodeProblem::kControl,
         u"windows-1252", false, "2 0x01"},
    };
    for (const auto& c : cases) {
        const DecodedText text = DecodeLog(c.bytes, c.asked);
        EXPECT_EQ(text.problem, c.problem) << c.bytes;
        EXPECT_EQ(text.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(text.fromMark, c.fromMark) << c.bytes;
        const char* hex = "0123456789ABCDEF";
        const std::string got = text.problem == DecodeProblem::kControl
                                    ? std::to_string(text.badLine) + " 0x" +
                                          hex[text.control >> 4] + hex[text.control & 15]
                                : text.problem == DecodeProblem::kMarkDisagrees
                                    ? Utf16ToUtf8(text.asked)
                                    : text.utf8;
        EXPECT_EQ(got, c.utf8) << c.bytes;
    }
}

TEST(Encoding, CommittedLogsReadWithNothingNamed) {
    // Read on a UTF-8 system (or, under Windows, a Western one), where the system's own code
    // page and the detector leave each log to what its bytes show.
    const struct {
        const char* file;
        std::u16string encoding;
        bool fromMark;
        std::u16string points;  // the rows' point names, joined by '|'
    } cases[] = {
        {"gbk.csv", u"GB18030", false, u"测站01|基准点"},
        {"latin1252.csv", u"windows-1252", false, u"Höhe1|Crête|Müller"},
        {"semicolon.csv", u"windows-1252", false, u"BM01"},
        {"utf16le.txt", u"UTF-16 LE", true, u"测站01"},
        {"utf16-nomark.txt", u"UTF-16 LE", false, u"基准点"},
        {"utf8.csv", u"UTF-8", false, u"Höhe1"},
        {"utf8-mark.csv", u"UTF-8", true, u"测站01"},
        {"slant.csv", u"UTF-8", false, u"-"},
    };
    for (const auto& c : cases) {
        const FieldLog log =
            ReadFieldLog(Utf8ToUtf16(std::string(RVX_TEST_DATA) + "/logs/" + c.file),
                         TextEncoding::kAuto, 0.003);
        EXPECT_EQ(log.problem, LogProblem::kNone) << c.file;
#ifdef _WIN32
        // A Windows without code page 54936 (Wine) reads GBK through code page 936.
        if (c.encoding == u"GB18030" && log.encoding == u"GBK") {
            continue;
        }
#endif
        EXPECT_EQ(log.encoding, c.encoding) << c.file;
        EXPECT_EQ(log.encodingFromBom, c.fromMark) << c.file;
        std::u16string points;
        for (const LogRow& row : log.rows) {
            points += (points.empty() ? u"" : u"|") + row.pointName.value_or(u"-");
        }
        EXPECT_EQ(points, c.points) << c.file;
    }
}

}  // namespace
