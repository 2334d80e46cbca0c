// Separated values as RFC 4180 has them, with a comma, semicolon or tab between cells: cells in
// double quotes may hold separators, quotes (doubled) and line ends; a record ends at CR LF, LF
// or a lone CR outside quotes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace rawfile {

struct CsvRecord {
    std::size_t number = 0;          // 1 for the first record; a record may span several lines
    std::vector<std::string> cells;  // the bytes of each cell, quotes removed
};

enum class CsvProblem {
    kNone,
    kUnclosedQuote,   // the text ends inside a quoted cell
    kStrayQuote,      // a quote inside a cell that does not begin with one
    kTextAfterQuote,  // something other than the separator or a line end after a closing quote
};

struct CsvError {
    CsvProblem problem = CsvProblem::kNone;
    std::size_t record = 0;  // the record the problem is in
};

// Splits `text` into records, cells parted by `separator` (a UTF-8 byte-order mark at its start is
// dropped; a line end at its very end ends the last record and starts none). False with *error set
// at the first problem.
bool ParseCsv(const std::string& text, std::vector<CsvRecord>* records, CsvError* error,
              char separator = ',');

}  // namespace rawfile
