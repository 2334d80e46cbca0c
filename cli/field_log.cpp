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
    return rawfile::TrimCell(cell).empty();
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

struct Columns {
    std::size_t file = kNoColumn;
    std::size_t point = kNoColumn;
    std::size_t radius = kNoColumn;
    std::size_t offset = kNoColumn;
    std::vector<std::size_t> heights;
    std::vector<std::size_t> slants;
};

// Finds the columns in the first row; sets *problem when "file" is missing or a column that
// holds one value is named twice.
Columns FindColumns(const std::vector<std::string>& names, const CliTexts& t,
                    std::u16string* problem) {
    Columns c;
    for (std::size_t i = 0; i < names.size() && problem->empty(); ++i) {
        const std::string name = rawfile::AsciiLower(rawfile::TrimCell(names[i]));
        if (StartsWith(name, "height")) {
            c.heights.push_back(i);
            continue;
        }
        if (StartsWith(name, "slant")) {
            c.slants.push_back(i);
            continue;
        }
        std::size_t* column = name == "file"     ? &c.file
                              : name == "point"  ? &c.point
                              : name == "radius" ? &c.radius
                              : name == "offset" ? &c.offset
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

// The cell in `column`, trimmed; blank when absent.
std::string CellAt(const rawfile::CsvRecord& record, std::size_t column) {
    return column < record.cells.size() ? rawfile::TrimCell(record.cells[column]) : std::string();
}

// Takes the cell in `column` as text: none when it is blank or absent; false when it holds a
// NUL character.
bool TakeCell(const rawfile::CsvRecord& record, std::size_t column,
              std::optional<std::u16string>* value) {
    const std::string cell = CellAt(record, column);
    if (!cell.empty()) {
        *value = rawfile::Utf8ToUtf16(cell);
    }
    return cell.find('\0') == std::string::npos;
}

// The row's height from its readings; false with *problem set when they give none.
bool ReadHeight(const rawfile::CsvRecord& record, const Columns& columns, bool decimalComma,
                double tolerance, const CliTexts& t, std::optional<std::u16string>* height,
                std::u16string* problem) {
    rawfile::Readings readings;
    readings.decimalComma = decimalComma;
    for (std::size_t column : columns.heights) {
        readings.vertical.push_back(CellAt(record, column));
    }
    for (std::size_t column : columns.slants) {
        readings.slant.push_back(CellAt(record, column));
    }
    readings.radius = CellAt(record, columns.radius);
    readings.offset = CellAt(record, columns.offset);
    const rawfile::HeightFromReadings result = rawfile::HeightOf(readings, tolerance);
    if (result.problem == rawfile::ReadingsProblem::kNone) {
        *height = rawfile::BytesToText(result.heightText);
    } else if (result.problem != rawfile::ReadingsProblem::kNoReadings) {
        *problem = ReadingsProblemText(result, tolerance, t);
        return false;
    }
    return true;
}

LogRow ReadRow(const rawfile::CsvRecord& record, const Columns& columns, std::size_t width,
               bool decimalComma, double tolerance, const std::u16string& folder,
               const CliTexts& t) {
    LogRow row;
    row.number = record.number;
    std::optional<std::u16string> file;
    const bool text =
        TakeCell(record, columns.file, &file) && TakeCell(record, columns.point, &row.pointName);
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
    } else {
        ReadHeight(record, columns, decimalComma, tolerance, t, &row.height, &row.problem);
    }
    return row;
}

std::u16string CsvProblemText(rawfile::CsvProblem problem, const CliTexts& t) {
    switch (problem) {
        case rawfile::CsvProblem::kUnclosedQuote:
            return t.unclosedQuote;
        case rawfile::CsvProblem::kStrayQuote:
            return t.strayQuote;
        default:
            return t.textAfterQuote;
    }
}

// The row (record) the line a decoding problem is in belongs to: the lines before it, decoded,
// are parsed as far as they go.
std::size_t RowOfLine(const rawfile::DecodedText& text, const std::string& bytes,
                      rawfile::TextEncoding encoding) {
    if (text.badLine <= 1 || text.encoding.compare(0, 6, u"UTF-16") == 0) {
        return text.badLine;  // UTF-16 text is not split by bytes; its lines are its rows
    }
    std::size_t end = 0;
    for (std::size_t line = 1; line < text.badLine; ++line) {
        end = bytes.find('\n', end) + 1;
    }
    const rawfile::DecodedText before = rawfile::DecodeLog(bytes.substr(0, end), encoding);
    std::vector<rawfile::CsvRecord> records;
    rawfile::CsvError error;
    if (!before.ok) {
        return text.badLine;
    }
    if (!rawfile::ParseCsv(before.utf8, &records, &error,
                           rawfile::DetectSeparator(before.utf8, "file"))) {
        return error.record;
    }
    return records.size() + 1;
}

}  // namespace

FieldLog ReadFieldLog(const std::u16string& path, rawfile::TextEncoding encoding, double tolerance,
                      const CliTexts& t) {
    FieldLog log;
    std::string bytes;
    bool tooLarge = false;
    std::u16string reason;
    if (!ReadFileUpTo(path, kMaxLogBytes, &bytes, &tooLarge, &reason)) {
        log.problem = tooLarge ? std::u16string(t.logTooLarge) : Fill(t.logUnreadable, {reason});
        return log;
    }
    const rawfile::DecodedText text = rawfile::DecodeLog(bytes, encoding);
    if (!text.ok) {
        log.problem = Fill(encoding == rawfile::TextEncoding::kAuto && text.encoding != u"UTF-8"
                               ? t.logNotTextGuessed
                               : t.logNotText,
                           {text.encoding});
        log.problemRow = RowOfLine(text, bytes, encoding);
        return log;
    }
    const char separator = rawfile::DetectSeparator(text.utf8, "file");
    std::vector<rawfile::CsvRecord> records;
    rawfile::CsvError error;
    if (!rawfile::ParseCsv(text.utf8, &records, &error, separator)) {
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
            log.rows.push_back(ReadRow(records[i], columns, records[0].cells.size(),
                                       separator != ',', tolerance, folder, t));
        }
    }
    return log;
}

}  // namespace rvxedit
