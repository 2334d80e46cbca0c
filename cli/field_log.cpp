#include "field_log.h"

#include "csv.h"
#include "folders.h"
#include "numbers.h"
#include "raw_file_name.h"
#include "text.h"

namespace rvxedit {

namespace {

// A log larger than this is no field log (and may be a device that never ends).
constexpr std::size_t kMaxLogBytes = 64u << 20;

// The index of a column the first row does not name.
constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

bool IsBlank(const std::string& cell) {
    return cell.find_first_not_of(" \t") == std::string::npos;
}

// A column name as it is compared: without surrounding blanks, ASCII letters in lower case.
std::string ColumnName(const std::string& cell) {
    const std::size_t begin = cell.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return "";
    }
    return rawfile::AsciiLower(cell.substr(begin, cell.find_last_not_of(" \t") + 1 - begin));
}

struct Columns {
    std::size_t file = kNoColumn;
    std::size_t point = kNoColumn;
    std::size_t height = kNoColumn;
};

// Finds the three columns in the first row; sets *problem when one is missing or named twice.
Columns FindColumns(const std::vector<std::string>& names, const CliTexts& t,
                    std::u16string* problem) {
    Columns c;
    for (std::size_t i = 0; i < names.size() && problem->empty(); ++i) {
        const std::string name = ColumnName(names[i]);
        std::size_t* column = name == "file"     ? &c.file
                              : name == "point"  ? &c.point
                              : name == "height" ? &c.height
                                                 : nullptr;
        if (column != nullptr && *column != kNoColumn) {
            *problem = Fill(t.columnTwice, {rawfile::BytesToText(name)});
        } else if (column != nullptr) {
            *column = i;
        }
    }
    if (problem->empty() && c.file == kNoColumn) {
        *problem = t.noFileColumn;
    }
    return c;
}

// Takes the cell in `column` as text: none when it is blank or absent; false when it is not
// text.
bool TakeCell(const CsvRecord& record, std::size_t column, std::optional<std::u16string>* value) {
    if (column >= record.cells.size() || IsBlank(record.cells[column])) {
        return true;
    }
    const std::string& cell = record.cells[column];
    bool exact = true;
    *value = rawfile::Utf8ToUtf16(cell, &exact);
    return exact && cell.find('\0') == std::string::npos;
}

LogRow ReadRow(const CsvRecord& record, const Columns& columns, std::size_t width,
               const std::u16string& folder, const CliTexts& t) {
    LogRow row;
    row.number = record.number;
    std::optional<std::u16string> file;
    const bool text = TakeCell(record, columns.file, &file) &&
                      TakeCell(record, columns.point, &row.pointName) &&
                      TakeCell(record, columns.height, &row.height);
    if (file) {
        row.file.text =
            rawfile::IsAbsolutePath(*file, rawfile::PlatformPathStyle()) ? *file : folder + *file;
    }
    std::size_t cells = record.cells.size();
    while (cells > width && IsBlank(record.cells[cells - 1])) {
        --cells;
    }
    if (cells > width) {
        // More cells than column names: most likely a cell that needed quotes, such as a
        // height written with a decimal comma; taking the cells as they fall would be a guess.
        row.problem = Fill(t.tooManyCells,
                           {rawfile::WholeNumberText(cells), rawfile::WholeNumberText(width)});
    } else if (!text) {
        row.problem = t.cellNotText;
    } else if (!file) {
        row.problem = t.noFileCell;
    }
    return row;
}

std::u16string CsvProblemText(CsvProblem problem, const CliTexts& t) {
    switch (problem) {
        case CsvProblem::kUnclosedQuote:
            return t.unclosedQuote;
        case CsvProblem::kStrayQuote:
            return t.strayQuote;
        default:
            return t.textAfterQuote;
    }
}

}  // namespace

FieldLog ReadFieldLog(const std::u16string& path, const CliTexts& t) {
    FieldLog log;
    std::string bytes;
    bool tooLarge = false;
    std::u16string reason;
    if (!ReadFileUpTo(path, kMaxLogBytes, &bytes, &tooLarge, &reason)) {
        log.problem = tooLarge ? std::u16string(t.logTooLarge) : Fill(t.logUnreadable, {reason});
        return log;
    }
    std::vector<CsvRecord> records;
    CsvError error;
    if (!ParseCsv(bytes, &records, &error)) {
        log.problem = CsvProblemText(error.problem, t);
        log.problemRow = error.record;
        return log;
    }
    if (records.empty()) {
        log.problem = t.logEmpty;
        return log;
    }
    const Columns columns = FindColumns(records[0].cells, t, &log.problem);
    if (!log.problem.empty()) {
        log.problemRow = 1;
        return log;
    }
    const std::u16string folder = rawfile::SplitRawPath(path, rawfile::PlatformPathStyle()).folder;
    for (std::size_t i = 1; i < records.size(); ++i) {
        bool blank = true;
        for (const std::string& cell : records[i].cells) {
            blank = blank && IsBlank(cell);
        }
        if (!blank) {
            log.rows.push_back(ReadRow(records[i], columns, records[0].cells.size(), folder, t));
        }
    }
    return log;
}

}  // namespace rvxedit
