#include "csv.h"

namespace rawfile {

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

bool Fail(CsvProblem problem, std::size_t record, CsvError* error) {
    error->problem = problem;
    error->record = record;
    return false;
}

}  // namespace

bool ParseCsv(const std::string& text, std::vector<CsvRecord>* records, CsvError* error,
              char separator) {
    std::size_t i = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    CsvRecord record;
    record.number = 1;
    while (i < text.size()) {
        std::string cell;
        if (text[i] == '"') {
            // A quoted cell runs to the quote that is not doubled.
            for (++i;; ++i) {
                if (i >= text.size()) {
                    return Fail(CsvProblem::kUnclosedQuote, record.number, error);
                }
                if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                    cell.push_back('"');
                    ++i;
                } else if (text[i] == '"') {
                    ++i;
                    break;
                } else {
                    cell.push_back(text[i]);
                }
            }
            if (i < text.size() && text[i] != separator && text[i] != '\r' && text[i] != '\n') {
                return Fail(CsvProblem::kTextAfterQuote, record.number, error);
            }
        } else {
            const char stops[] = {separator, '\r', '\n', '\0'};
            const std::size_t end = text.find_first_of(stops, i);
            cell = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
            if (cell.find('"') != std::string::npos) {
                return Fail(CsvProblem::kStrayQuote, record.number, error);
            }
            i += cell.size();
        }
        record.cells.push_back(cell);
        if (i < text.size() && text[i] == separator) {
            ++i;
            if (i == text.size()) {
                record.cells
                    .emplace_back();  // a separator at the very end opens a last, empty cell
            }
            continue;
        }
        // The end of a line or of the text ends the record.
        i += text.compare(i, 2, "\r\n") == 0 ? 2 : (i < text.size() ? 1 : 0);
        records->push_back(record);
        record.cells.clear();
        ++record.number;
    }
    if (!record.cells.empty()) {
        records->push_back(record);
    }
    return true;
}

}  // namespace rawfile
