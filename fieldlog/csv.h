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

// Reads `text` one cell at a time, so that a caller keeps only the cells it needs: a log's
// blank cells and blank lines then cost it nothing. A UTF-8 byte-order mark at the start is
// dropped; a line end at the very end ends the last record and starts none. `text` must outlive
// the reader.
class CsvReader {
public:
    CsvReader(const std::string& text, char separator);

    // The next cell in *cell; false at the end of the text, or at a problem (Error()).
    bool Next(std::string* cell);
    // Where the cell read last stands: its record (from 1), its place there (from 0), and
    // whether it is the record's last.
    std::size_t Record() const { return record_; }
    std::size_t Index() const { return index_; }
    bool EndsRecord() const { return endsRecord_; }
    const CsvError& Error() const { return error_; }

private:
    bool Fail(CsvProblem problem);

    const std::string& text_;
    char separator_;
    std::size_t i_ = 0;
    std::size_t record_ = 1;
    std::size_t index_ = 0;
    bool endsRecord_ = false;
    bool started_ = false;
    bool lastEmpty_ = false;  // a separator at the very end opens a last, empty cell
    CsvError error_;
};

// Splits `text` into records, as CsvReader reads them. False with *error set at the first
// problem.
bool ParseCsv(const std::string& text, std::vector<CsvRecord>* records, CsvError* error,
              char separator = ',');

}  // namespace rawfile
