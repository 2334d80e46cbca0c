// Field logs as CSV: quoting, every kind of line end, and where each malformed log stops.
#include <gtest/gtest.h>

#include "csv.h"

using rvxedit::CsvProblem;

namespace {

using Records = std::vector<std::vector<std::string>>;

}  // namespace

TEST(Csv, RecordsAndCells) {
    const struct {
        std::string text;
        Records records;
    } cases[] = {
        {"", {}},
        {"a,b\r\nc\n", {{"a", "b"}, {"c"}}},
        {"a\rb\r", {{"a"}, {"b"}}},  // a lone CR ends a record
        {"a\n\nb", {{"a"}, {""}, {"b"}}},
        {"a,", {{"a", ""}}},
        {",\n", {{"", ""}}},
        {"\xEF\xBB\xBF"
         "file\n",
         {{"file"}}},
        {"\"x,\"\"y\"\"\r\nz\"\n1", {{"x,\"y\"\r\nz"}, {"1"}}},
        {"\"\",\"\"\"\"", {{"", "\""}}},
        {" a ,b\tc", {{" a ", "b\tc"}}},
    };
    for (const auto& c : cases) {
        std::vector<rvxedit::CsvRecord> records;
        rvxedit::CsvError error;
        ASSERT_TRUE(rvxedit::ParseCsv(c.text, &records, &error)) << c.text;
        Records cells;
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].number, i + 1);
            cells.push_back(records[i].cells);
        }
        EXPECT_EQ(cells, c.records) << c.text;
    }
}

TEST(Csv, ProblemsNameTheRecordTheyAreIn) {
    const struct {
        std::string text;
        CsvProblem problem;
        std::size_t record;
    } cases[] = {
        {"a\"b", CsvProblem::kStrayQuote, 1},
        {"file\nab\",c", CsvProblem::kStrayQuote, 2},
        {"\"a\nb\"\nc\"", CsvProblem::kStrayQuote, 2},  // a record spans lines
        {"\"a\"b", CsvProblem::kTextAfterQuote, 1},
        {"x\n\"a\" ,b", CsvProblem::kTextAfterQuote, 2},
        {"\"", CsvProblem::kUnclosedQuote, 1},
        {"x\n\"a\"\"\n", CsvProblem::kUnclosedQuote, 2},
    };
    for (const auto& c : cases) {
        std::vector<rvxedit::CsvRecord> records;
        rvxedit::CsvError error;
        EXPECT_FALSE(rvxedit::ParseCsv(c.text, &records, &error)) << c.text;
        EXPECT_EQ(error.problem, c.problem) << c.text;
        EXPECT_EQ(error.record, c.record) << c.text;
    }
}
