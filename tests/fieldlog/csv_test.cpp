// Field logs as CSV: quoting, every kind of line end, and where each malformed log stops.
#include <gtest/gtest.h>

#include "csv.h"

using rawfile::CsvProblem;

TEST(Csv, RecordsCellsAndProblems) {
    const struct {
        std::string text;
        std::vector<std::vector<std::string>> records;  // when there is no problem
        CsvProblem problem;
        std::size_t record;  // the record the problem is in
    } cases[] = {
        {"", {}, CsvProblem::kNone, 0},
        {"a,b\r\nc\n", {{"a", "b"}, {"c"}}, CsvProblem::kNone, 0},
        {"a\rb\r", {{"a"}, {"b"}}, CsvProblem::kNone, 0},  // a lone CR ends a record
        {"a\n\nb,", {{"a"}, {""}, {"b", ""}}, CsvProblem::kNone, 0},
        {"\xEF\xBB\xBF"
         " a ,b\tc",
         {{" a ", "b\tc"}},
         CsvProblem::kNone,
         0},
        {"\"x,\"\"y\"\"\r\nz\"\n\"\",\"\"\"\"",
         {{"x,\"y\"\r\nz"}, {"", "\""}},
         CsvProblem::kNone,
         0},
        {"a\"b", {}, CsvProblem::kStrayQuote, 1},
        {"\"a\nb\"\nc\"", {}, CsvProblem::kStrayQuote, 2},  // a record spans lines
        {"\"a\"b", {}, CsvProblem::kTextAfterQuote, 1},
        {"x\n\"a\" ,b", {}, CsvProblem::kTextAfterQuote, 2},
        {"\"", {}, CsvProblem::kUnclosedQuote, 1},
        {"x\n\"a\"\"\n", {}, CsvProblem::kUnclosedQuote, 2},
    };
    for (const auto& c : cases) {
        std::vector<rawfile::CsvRecord> records;
        rawfile::CsvError error;
        EXPECT_EQ(rawfile::ParseCsv(c.text, &records, &error), c.problem == CsvProblem::kNone)
            << c.text;
        EXPECT_EQ(error.problem, c.problem) << c.text;
        EXPECT_EQ(error.record, c.record) << c.text;
        std::vector<std::vector<std::string>> cells;
        for (std::size_t i = 0; i < records.size() && c.problem == CsvProblem::kNone; ++i) {
            EXPECT_EQ(records[i].number, i + 1);
            cells.push_back(records[i].cells);
        }
        EXPECT_EQ(cells, c.records) << c.text;
    }
}
