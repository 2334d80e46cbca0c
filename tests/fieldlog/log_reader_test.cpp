// Field logs read into rows: where each problem is (whatever the line ends), what a row's own
// problem is, and that every problem of every row is found in one check.
#include <gtest/gtest.h>

#include "log_items.h"
#include "log_reader.h"
#include "raw_gen.h"

using namespace rawfile;

namespace {

FieldLog ReadLog(const rawgen::TempDir& dir, const std::string& text,
                 TextEncoding encoding = TextEncoding::kAuto) {
    rawgen::WriteFile(dir.Path(u"log.csv"), text);
    return ReadFieldLog(dir.Path(u"log.csv"), encoding, kDefaultTolerance);
}

TEST(LogReader, ProblemsNameTheirRowWhateverTheLineEnds) {
    rawgen::TempDir dir;
    const struct {
        std::string text;
        TextEncoding encoding;
        LogProblem problem;
        std::size_t row;  // the log's problem row, or else the last row read
        LogRowProblem rowProblem;
    } cases[] = {
        {"file,height\rA.RVX,1.5\rB.RVX,x\r", TextEncoding::kAuto, LogProblem::kNone, 3,
         LogRowProblem::kReadings},
        {"file,height\r\n\r\nA.RVX,1.5\r\rB.RVX,x", TextEncoding::kAuto, LogProblem::kNone, 5,
         LogRowProblem::kReadings},
        {"file,point\rA.RVX,a\rB.RVX,\xFF\xFF\r", TextEncoding::kGb18030, LogProblem::kNotText, 3,
         LogRowProblem::kNone},
        {"file,point\r\nA.RVX,\"a\r\nb\"\r\nB.RVX,\xFF\xFF\r\n", TextEncoding::kGb18030,
         LogProblem::kNotText, 3, LogRowProblem::kNone},
        {"file,point\nA.RVX,\"a\rb\nc\"\"\r", TextEncoding::kAuto, LogProblem::kUnclosedQuote, 2,
         LogRowProblem::kNone},
        {"", TextEncoding::kAuto, LogProblem::kEmpty, 0, LogRowProblem::kNone},
        {"file,point\r\n\r\n,,\n \t \n", TextEncoding::kAuto, LogProblem::kNoRows, 0,
         LogRowProblem::kNone},
        {"point\nX\n", TextEncoding::kAuto, LogProblem::kNoFileColumn, 1, LogRowProblem::kNone},
        {"file,File\nX\n", TextEncoding::kAuto, LogProblem::kColumnTwice, 1, LogRowProblem::kNone},
        {"file,point\nA.RVX,.\n", TextEncoding::kAuto, LogProblem::kNone, 2,
         LogRowProblem::kPointDots},
        {"file,point\nA.RVX,B\x7F"
         "C\n",
         TextEncoding::kAuto, LogProblem::kNone, 2, LogRowProblem::kPointCharacter},
        {"file,point,height\nA.RVX,,1,6,,\n", TextEncoding::kAuto, LogProblem::kNone, 2,
         LogRowProblem::kTooManyCells},
        {"file;height 1;height 2\nA.RVX;1,600;1,601\n", TextEncoding::kAuto, LogProblem::kNone, 2,
         LogRowProblem::kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const FieldLog log = ReadLog(dir, c.text, c.encoding);
        EXPECT_EQ(log.problem, c.problem);
        if (c.problem != LogProblem::kNone) {
            EXPECT_EQ(log.problemRow, c.row);
            continue;
        }
        ASSERT_FALSE(log.rows.empty());
        EXPECT_EQ(log.rows.back().number, c.row);
        EXPECT_EQ(log.rows.back().problem.kind, c.rowProblem);
    }
    const FieldLog dots = ReadLog(dir, "file,point\nA.RVX,B\x7F\n");
    EXPECT_EQ(dots.rows[0].problem.character, U'\x7F');
    const FieldLog slash = ReadLog(dir, "file,point\nA.RVX,B/2\n");
    EXPECT_EQ(slash.rows[0].problem.character, U'/');
    const FieldLog comma = ReadLog(dir, "file;height 1;height 2\nA.RVX;1,600;1,601\n");
    EXPECT_EQ(comma.rows[0].height, u"1.601");
}

TEST(LogReader, ManyColumnsAndBlankRowsCostNothingPerColumn) {
    rawgen::TempDir dir;
    std::string text = "file";
    for (int i = 0; i < 4000; ++i) {
        text += ",height";
    }
    text += "\n" + std::string(100000, '\n');
    for (int i = 0; i < 4000; ++i) {
        text += "A.RVX,,,,,,1.5\n";
    }
    const FieldLog log = ReadLog(dir, text);
    ASSERT_EQ(log.rows.size(), 4000u);
    EXPECT_EQ(log.rows[0].number, 100002u);
    EXPECT_EQ(log.rows[0].given.vertical, std::vector<std::string>{"1.5"});
}

TEST(LogReader, ARowRefusedForItsOwnProblemStillClashes) {
    rawgen::TempDir dir;
    for (const char16_t* name : {u"A1.RVX", u"B2.RVX", u"C3.RVX", u"D4.RVX"}) {
        rawgen::WriteFile(dir.Path(name), rawgen::StandardFile("1.500"));
    }
    const FieldLog log = ReadLog(dir,
                                 "file,point,height\n"
                                 "A1.RVX,,x\n"       // its own problem, and first to name A1
                                 "A1.RVX,,1.6\n"     // the same file as row 2
                                 "B2.RVX,Q,1.6\n"    // ends at Q.RVX
                                 "A1.RVX,q,y\n"      // its own problem; A1 again, and Q.RVX
                                 "C3.RVX,R,z\n"      // its own problem; would end at R.RVX
                                 "D4.RVX,r,1.6\n");  // ends at R.RVX, in other letter case
    // As a dry run checks: no row keeps its file, and every clash is still told.
    LogPlanner planner;
    planner.Check(PlanItemsOf(log), {}, true);
    const struct {
        Refusal refusal;
        Refusal clash;
        std::size_t other;
    } expected[] = {
        {Refusal::kRow, Refusal::kNone, 0},  {Refusal::kSameFile, Refusal::kNone, 0},
        {Refusal::kNone, Refusal::kNone, 0}, {Refusal::kRow, Refusal::kSameFile, 0},
        {Refusal::kRow, Refusal::kNone, 0},  {Refusal::kSameNewName, Refusal::kNone, 4},
    };
    ASSERT_EQ(planner.Rows().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(planner.Rows()[i].refusal, expected[i].refusal);
        EXPECT_EQ(planner.Rows()[i].clash, expected[i].clash);
        EXPECT_EQ(planner.Rows()[i].other, expected[i].other);
    }
    EXPECT_EQ(planner.Items()[0].problem.readings->problem, ReadingsProblem::kNotNumber);
    EXPECT_EQ(planner.Rows()[5].endPath, dir.Path(u"r.RVX"));
    EXPECT_EQ(planner.Problems(), 5u);
}

}  // namespace
