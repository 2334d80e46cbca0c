// Text that is none, height readings, and the change record.
#include <gtest/gtest.h>

#include "change_record.h"
#include "csv.h"
#include "log_text.h"
#include "readings.h"
#include "save.h"
#include "text.h"

using namespace rawfile;

TEST(FieldText, TextThatIsNoneNamesItsLine) {
    const struct {
        std::string bytes;
        TextEncoding encoding;
        bool ok;
        std::string utf8;
        std::size_t badLine;
    } cases[] = {
        {std::string("\xFE\xFF\0f\0\n\xD8\x3D\xDE\x00", 10), TextEncoding::kAuto, true,
         "f\n\xF0\x9F\x98\x80", 0},
        {std::string("\0f\0\n\0", 5), TextEncoding::kUtf16Be, false, "", 2},        // odd length
        {std::string("f\0\n\0\x3D\xD8", 6), TextEncoding::kUtf16Le, false, "", 2},  // lone half
        {"file\n\xE9t\xE9\n", TextEncoding::kUtf8, false, "", 2},
        {"file\nok\n\xE9;x\n", TextEncoding::kGb18030, false, "", 3},
        {"\xE9t\xE9", TextEncoding::kWindows1252, true, "\xC3\xA9t\xC3\xA9", 0},
    };
    for (const auto& c : cases) {
        const DecodedText text = DecodeLog(c.bytes, c.encoding);
        EXPECT_EQ(text.ok, c.ok) << c.bytes;
        EXPECT_EQ(text.ok ? text.utf8 : "", c.utf8) << c.bytes;
        EXPECT_EQ(text.badLine, c.badLine) << c.bytes;
    }
    TextEncoding e;
    EXPECT_TRUE(EncodingByName(u"UTF_16", &e) && e == TextEncoding::kUtf16Le);
    EXPECT_TRUE(EncodingByName(u"GBK", &e) && e == TextEncoding::kGb18030);
    EXPECT_FALSE(EncodingByName(u"latin1", &e));
    EXPECT_EQ(TrimCell("\xE3\x80\x80 \t\xC2\xA0测站 1\t "), "测站 1");
}

TEST(FieldText, ReadingsGiveOneHeightOrAreRefused) {
    const struct {
        Readings readings;
        double tolerance;
        ReadingsProblem problem;
        std::string height;
    } cases[] = {
        {{{"1.600", "1.603", "1.6015"}, {}, "", "", false}, 0.003, ReadingsProblem::kNone, "1.602"},
        {{{"1.600", "1.6031"}, {}, "", "", false}, 0.003, ReadingsProblem::kSpread, ""},
        {{{"1,6005", "", "1,6"}, {}, "", "", true}, 0.003, ReadingsProblem::kNone, "1.600"},
        {{{"-0.0005", "-0.0005"}, {}, "", "", false}, 0, ReadingsProblem::kNone, "-0.001"},
        {{{"1,6"}, {}, "", "", false}, 0.003, ReadingsProblem::kNotNumber, ""},
        // One reading goes to the save as written, to be rounded once, as a typed height is.
        {{{" 1,60049999"}, {}, "", "", true}, 0.003, ReadingsProblem::kNone, "1.60049999"},
        // Two or more: their exact mean, half away from zero; one: as the editor rounds it.
        {{{"1.60049999", "1.6005"}, {}, "", "", false}, 0.003, ReadingsProblem::kNone, "1.600"},
        {{{"3.0005", "3.0005"}, {}, "", "", false}, 0.003, ReadingsProblem::kNone, "3.001"},
        {{{"-3.0005", "-3.0005"}, {}, "", "", false}, 0.003, ReadingsProblem::kNone, "-3.001"},
        {{{"-3.0004999", "-3.0005"}, {}, "", "", false}, 0.003, ReadingsProblem::kNone, "-3.000"},
        {{{"1e0"}, {}, "", "", false}, 0.003, ReadingsProblem::kNotNumber, ""},
        {{{}, {"1.652"}, "0.0825", "", false}, 0.003, ReadingsProblem::kNone, "1.650"},
        {{{}, {"1.652", "1.651", "1.653"}, "0.0825", "-0.05", false},
         0.003,
         ReadingsProblem::kNone,
         "1.600"},
        {{{}, {"0.0825"}, "0.0825", "", false}, 0.003, ReadingsProblem::kSlantNotAboveRadius, ""},
        {{{}, {"1.652"}, "", "", false}, 0.003, ReadingsProblem::kNoRadius, ""},
        {{{}, {"1.652"}, "-0.0825", "", false}, 0.003, ReadingsProblem::kNoRadius, ""},
        {{{"1.6"}, {"1.652"}, "0.0825", "", false}, 0.003, ReadingsProblem::kBothKinds, ""},
        {{{"", " "}, {}, "", "", false}, 0.003, ReadingsProblem::kNoReadings, ""},
        // Out of range is said as such, whatever the digits; no sum overflows.
        {{{"9999999"}, {}, "", "", false}, 0.003, ReadingsProblem::kOutOfRange, ""},
        {{{"1" + std::string(400, '0')}, {}, "", "", false},
         0.003,
         ReadingsProblem::kOutOfRange,
         ""},
        {{{"2147483.647", "2147483.647"}, {}, "", "", false},
         0,
         ReadingsProblem::kNone,
         "2147483.647"},
        {{{"2147483.6474", "2147483.6476"}, {}, "", "", false},
         0.003,
         ReadingsProblem::kOutOfRange,
         ""},
    };
    for (const auto& c : cases) {
        const HeightFromReadings h = HeightOf(c.readings, c.tolerance);
        EXPECT_EQ(h.problem, c.problem) << c.height;
        EXPECT_EQ(h.heightText, c.height);
    }
    // Exactly the tolerance passes, whatever the binary fractions make of it.
    EXPECT_EQ(HeightOf({{"0.1", "0.103"}, {}, "", "", false}, 0.003).problem,
              ReadingsProblem::kNone);
    EXPECT_EQ(HeightOf({{"0.1", "0.1031"}, {}, "", "", false}, 0.003).spread,
              (std::vector<std::string>{"0.1", "0.1031"}));
    EXPECT_EQ(HeightOf({{"0.1", "0.1030000001"}, {}, "", "", false}, 0.003).problem,
              ReadingsProblem::kSpread);
    // One height goes to the save as written, which rounds it through its float: 3.000.
    const HeightFromReadings one = HeightOf({{"3.0005"}, {}, "", "", false}, 0.003);
    NormalisedHeight saved;
    ASSERT_EQ(NormaliseHeight(BytesToText(one.heightText), &saved), SaveRefusal::kNone);
    EXPECT_EQ(saved.text, "3.000");
    // Two million readings of the largest height: a sum far beyond 64 bits of micrometres.
    Readings many;
    many.vertical.assign(2147484, "2147483.647");
    EXPECT_EQ(HeightOf(many, 0.003).heightText, "2147483.647");
    many.vertical.back() = "2147483.6475";
    EXPECT_EQ(HeightOf(many, 0.003).heightText, "2147483.647");
}

TEST(FieldText, ChangeRecordRowsReadBackAsWritten) {
    const std::string oldHead(150, 'A');
    const std::string newHead(160, '\xFE');
    const ChangeRow row{UtcTimestamp(86400 * 366),
                        u"/d/a \"b\",c\r\n.RVX",
                        u"/d/测站.RVX",
                        "1.500",
                        "1.602",
                        oldHead,
                        newHead};
    EXPECT_EQ(row.time, "1971-01-02T00:00:00Z");
    const std::string record = ChangeRecordHeader() + FormatChangeRow(row);
    // A row cut short by a crash is left out; anything else malformed names its row.
    for (const std::string& tail : {std::string(), std::string("1971-01-02T00:00:00Z,\"/d/x")}) {
        const ChangeRecord read = ParseChangeRecord(record + tail);
        ASSERT_TRUE(read.ok && read.rows.size() == 1);
        const ChangeRow& back = read.rows[0];
        EXPECT_EQ(std::tie(back.time, back.oldPath, back.newPath, back.oldHeight, back.newHeight,
                           back.oldHead, back.newHead),
                  std::tie(row.time, row.oldPath, row.newPath, row.oldHeight, row.newHeight,
                           row.oldHead, row.newHead));
        EXPECT_EQ(read.rowNumbers, std::vector<std::size_t>{2});
    }
    for (const auto& [text, badRow] : std::vector<std::pair<std::string, std::size_t>>{
             {"file,point\n", 1},
             {record + "t,/a,/b,1,2,00,0G\r\n", 3},
             {record + "t,/a,/b,1,2,00,00\r\n", 3}}) {  // a new header not 160 bytes
        const ChangeRecord read = ParseChangeRecord(text);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.badRow, badRow);
    }
    // Before more rows are appended, a row cut short goes and a whole one gets its line end.
    const std::string whole = record.substr(0, record.size() - 2);
    // A line by hand above it does not make a whole last row look cut short.
    std::string noted =
        ChangeRecordHeader() + "my note\r\n" +
        FormatChangeRow({row.time, u"/d/a.RVX", u"/d/b.RVX", "1.500", "1.602", oldHead, newHead});
    noted.resize(noted.size() - 2);
    for (const auto& [text, keep, lineEnd] :
         std::vector<std::tuple<std::string, std::size_t, bool>>{
             {record, record.size(), false},
             {whole, whole.size(), true},
             {noted, noted.size(), true},
             {record + "1971-01-02T00:00:00Z,\"/d/x", record.size(), false},
             {ChangeRecordHeader().substr(0, 9), 0, false}}) {
        bool end = !lineEnd;
        EXPECT_EQ(WholeRecordLength(text, &end), keep);
        EXPECT_EQ(end, lineEnd);
    }
}
