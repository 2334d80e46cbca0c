#include "log_reader.h"

#include "csv.h"
#include "file_identity.h"
#include "numbers.h"
#include "paths.h"
#include "raw_file_name.h"
#include "save.h"
#include "text.h"

namespace rawfile {

namespace {

// A log larger than this is no field log (and may be a device that never ends).
constexpr std::size_t kMaxLogBytes = 64u << 20;

// The index of a column the first row does not name.
constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

bool IsBlank(const std::string& cell) {
    return TrimCell(cell).empty();
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
Columns FindColumns(const std::vector<std::string>& names, FieldLog* log) {
    Columns c;
    for (std::size_t i = 0; i < names.size() && log->problem == LogProblem::kNone; ++i) {
        const std::string name = AsciiLower(TrimCell(names[i]));
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
            log->problem = LogProblem::kColumnTwice;
            log->detail = BytesToText(name);
        } else if (column != nullptr) {
            *column = i;
        }
    }
    if (log->problem == LogProblem::kNone && c.file == kNoColumn) {
        log->problem = LogProblem::kNoFileColumn;
    }
    return c;
}

// The cell in `column`, trimmed; blank when absent.
std::string CellAt(const CsvRecord& record, std::size_t column) {
    return column < record.cells.size() ? TrimCell(record.cells[column]) : std::string();
}

// Takes the cell in `column` as text: none when it is blank or absent; false when it holds a
// NUL character.
bool TakeCell(const CsvRecord& record, std::size_t column, std::optional<std::u16string>* value) {
    const std::string cell = CellAt(record, column);
    if (!cell.empty()) {
        *value = Utf8ToUtf16(cell);
    }
    return cell.find('\0') == std::string::npos;
}

// The row's height from its readings, or the problem with them.
void ReadHeight(const CsvRecord& record, const Columns& columns, bool decimalComma,
                double tolerance, LogRow* row) {
    Readings& readings = row->given;
    readings.decimalComma = decimalComma;
    for (std::size_t column : columns.heights) {
        readings.vertical.push_back(CellAt(record, column));
    }
    for (std::size_t column : columns.slants) {
        readings.slant.push_back(CellAt(record, column));
    }
    readings.radius = CellAt(record, columns.radius);
    readings.offset = CellAt(record, columns.offset);
    row->readings = HeightOf(readings, tolerance);
    if (row->readings.problem == ReadingsProblem::kNone) {
        row->height = BytesToText(row->readings.heightText);
    } else if (row->readings.problem != ReadingsProblem::kNoReadings) {
        row->problem = LogRowProblem::kReadings;
    }
}

LogRow ReadRow(const CsvRecord& record, const Columns& columns, std::size_t width,
               bool decimalComma, double tolerance, std::optional<double> maxHeight,
               const std::u16string& folder) {
    LogRow row;
    row.number = record.number;
    std::optional<std::u16string> file;
    const bool text =
        TakeCell(record, columns.file, &file) && TakeCell(record, columns.point, &row.pointName);
    if (file) {
        row.file = IsAbsolutePath(*file, PlatformPathStyle()) ? *file : folder + *file;
    }
    std::size_t cells = record.cells.size();
    while (cells > width && IsBlank(record.cells[cells - 1])) {
        --cells;
    }
    if (cells > width) {
        // More cells than column names: most likely a cell that needed quotes, such as a
        // height written with a decimal comma; taking the cells as they fall would be a guess.
        row.problem = LogRowProblem::kTooManyCells;
        row.cells = cells;
        row.columns = width;
    } else if (!text) {
        row.problem = LogRowProblem::kCellNotText;
    } else if (!file) {
        row.problem = LogRowProblem::kNoFileCell;
    } else {
        ReadHeight(record, columns, decimalComma, tolerance, &row);
        CheckLikelyMillimetres(&row, maxHeight);
    }
    return row;
}

LogProblem CsvProblemOf(CsvProblem problem) {
    switch (problem) {
        case CsvProblem::kUnclosedQuote:
            return LogProblem::kUnclosedQuote;
        case CsvProblem::kStrayQuote:
            return LogProblem::kStrayQuote;
        default:
            return LogProblem::kTextAfterQuote;
    }
}

// The row (record) the line a decoding problem is in belongs to: the lines before it, decoded,
// are parsed as far as they go.
std::size_t RowOfLine(const DecodedText& text, const std::string& bytes) {
    if (text.badLine <= 1 || text.encoding.compare(0, 6, u"UTF-16") == 0) {
        return text.badLine;  // UTF-16 text is not split by bytes; its lines are its rows
    }
    std::size_t end = 0;
    for (std::size_t line = 1; line < text.badLine; ++line) {
        end = bytes.find('\n', end) + 1;
    }
    const DecodedText before = DecodeLog(bytes.substr(0, end), text.read);
    std::vector<CsvRecord> records;
    CsvError error;
    if (!before.ok) {
        return text.badLine;
    }
    if (!ParseCsv(before.utf8, &records, &error, DetectSeparator(before.utf8, "file"))) {
        return error.record;
    }
    return records.size() + 1;
}

// Why the log's bytes are no text, in the log's terms.
void TakeDecodeProblem(const DecodedText& text, const std::string& bytes, FieldLog* log) {
    switch (text.problem) {
        case DecodeProblem::kControl: {
            static const char kDigits[] = "0123456789ABCDEF";
            log->problem = LogProblem::kControlCharacter;
            log->detail = {u'0', u'x', static_cast<char16_t>(kDigits[text.control >> 4]),
                           static_cast<char16_t>(kDigits[text.control & 15])};
            log->problemRow = RowOfLine(text, bytes);
            break;
        }
        case DecodeProblem::kMarkDisagrees:
            log->problem = LogProblem::kMarkDisagrees;
            log->detail = text.asked;
            break;
        case DecodeProblem::kUnsure:
            log->problem = LogProblem::kEncodingUnsure;
            break;
        default:
            log->problem = LogProblem::kNotText;
            log->detail = text.encoding;
            log->problemRow = RowOfLine(text, bytes);
            break;
    }
}

}  // namespace

void CheckLikelyMillimetres(LogRow* row, std::optional<double> maxHeight) {
    NormalisedHeight height;
    if (row->problem == LogRowProblem::kNone && row->height &&
        NormaliseHeight(*row->height, &height) == SaveRefusal::kNone &&
        LooksLikeMillimetres(height, maxHeight)) {
        row->problem = LogRowProblem::kLikelyMillimetres;
    }
}

FieldLog ReadFieldLog(const std::u16string& path, TextEncoding encoding, double tolerance,
                      std::optional<double> maxHeight) {
    FieldLog log;
    std::string bytes;
    bool tooLarge = false;
    std::u16string reason;
    if (!ReadFileUpTo(path, kMaxLogBytes, &bytes, &tooLarge, &reason)) {
        log.problem = tooLarge ? LogProblem::kTooLarge : LogProblem::kUnreadable;
        log.detail = reason;
        return log;
    }
    const DecodedText text = DecodeLog(bytes, encoding);
    log.encoding = text.encoding;
    log.encodingFromBom = text.fromMark;
    if (!text.ok) {
        TakeDecodeProblem(text, bytes, &log);
        return log;
    }
    log.encoding = text.encoding;
    log.encodingFromBom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ||
                          bytes.compare(0, 2, "\xFF\xFE") == 0 ||
                          bytes.compare(0, 2, "\xFE\xFF") == 0;
    const char separator = DetectSeparator(text.utf8, "file");
    std::vector<CsvRecord> records;
    CsvError error;
    if (!ParseCsv(text.utf8, &records, &error, separator)) {
        log.problem = CsvProblemOf(error.problem);
        log.problemRow = error.record;
        return log;
    }
    if (records.empty()) {
        log.problem = LogProblem::kEmpty;
        return log;
    }
    const Columns columns = FindColumns(records[0].cells, &log);
    if (log.problem != LogProblem::kNone) {
        log.problemRow = 1;
        return log;
    }
    const std::u16string folder = SplitRawPath(path, PlatformPathStyle()).folder;
    for (std::size_t i = 1; i < records.size(); ++i) {
        bool blank = true;
        for (const std::string& cell : records[i].cells) {
            blank = blank && IsBlank(cell);
        }
        if (!blank) {
            log.rows.push_back(ReadRow(records[i], columns, records[0].cells.size(),
                                       separator != ',', tolerance, maxHeight, folder));
        }
    }
    return log;
}

}  // namespace rawfile
