#include "csv.h"

namespace rawfile {

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

CsvReader::CsvReader(const std::string& text, char separator)
    : text_(text), separator_(separator), i_(text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0) {}

bool CsvReader::Fail(CsvProblem problem) {
    error_.problem = problem;
    error_.record = record_;
    return false;
}

bool CsvReader::Next(std::string* cell) {
    if (error_.problem != CsvProblem::kNone) {
        return false;
    }
    if (started_) {
        record_ += endsRecord_ ? 1 : 0;
        index_ = endsRecord_ ? 0 : index_ + 1;
    }
    cell->clear();
    if (lastEmpty_) {
        lastEmpty_ = false;
        endsRecord_ = true;
        return true;
    }
    if (i_ >= text_.size()) {
        return false;
    }
    started_ = true;
    const std::string& text = text_;
    std::size_t i = i_;
    if (text[i] == '"') {
        // A quoted cell runs to the quote that is not doubled.
        for (++i;; ++i) {
            if (i >= text.size()) {
                return Fail(CsvProblem::kUnclosedQuote);
            }
            if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell->push_back('"');
                ++i;
            } else if (text[i] == '"') {
                ++i;
                break;
            } else {
                cell->push_back(text[i]);
            }
        }
        if (i < text.size() && text[i] != separator_ && text[i] != '\r' && text[i] != '\n') {
            return Fail(CsvProblem::kTextAfterQuote);
        }
    } else {
        std::size_t end = i;
        bool quote = false;
        for (;
             end < text.size() && text[end] != separator_ && text[end] != '\r' && text[end] != '\n';
             ++end) {
            quote = quote || text[end] == '"';
        }
        cell->assign(text, i, end - i);
        if (quote) {
            return Fail(CsvProblem::kStrayQuote);
        }
        i = end;
    }
    if (i < text.size() && text[i] == separator_) {
        i_ = i + 1;
        lastEmpty_ = i_ == text.size();
        endsRecord_ = false;
        return true;
    }
    // The end of a line or of the text ends the record.
    i_ = i + (text.compare(i, 2, "\r\n") == 0 ? 2 : (i < text.size() ? 1 : 0));
    endsRecord_ = true;
    return true;
}

bool ParseCsv(const std::string& text, std::vector<CsvRecord>* records, CsvError* error,
              char separator) {
    CsvReader reader(text, separator);
    CsvRecord record;
    std::string cell;
    while (reader.Next(&cell)) {
        record.cells.push_back(cell);
        if (reader.EndsRecord()) {
            record.number = reader.Record();
            records->push_back(std::move(record));
            record = CsvRecord();
        }
    }
    *error = reader.Error();
    return error->problem == CsvProblem::kNone;
}

}  // namespace rawfile
