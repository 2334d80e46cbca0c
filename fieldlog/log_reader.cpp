#include "log_reader.h"

#include "csv.h"
#include "file_identity.h"
#include "numbers.h"
#include "paths.h"
#include "raw_file_name.h"
#include "save.h"
#include "text.h"
#include "two_threads.h"

namespace rawfile {

namespace {

// A log larger than this is no field log (and may be a device that never ends).
constexpr std::size_t kMaxLogBytes = 64u << 20;

enum class Column : unsigned char { kIgnored, kFile, kPoint, kRadius, kOffset, kHeight, kSlant };

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// What each column of the first row holds; sets the log's problem when "file" is missing or a
// column that holds one value is named twice.
std::vector<Column> FindColumns(CsvReader* csv, FieldLog* log) {
    std::vector<Column> columns;
    bool named[7] = {};
    std::string cell;
    while (csv->Next(&cell)) {
        const std::string name = AsciiLower(TrimCell(cell));
        const Column column = StartsWith(name, "height")  ? Column::kHeight
                              : StartsWith(name, "slant") ? Column::kSlant
                              : name == "file"            ? Column::kFile
                              : name == "point"           ? Column::kPoint
                              : name == "radius"          ? Column::kRadius
                              : name == "offset"          ? Column::kOffset
                                                          : Column::kIgnored;
        const bool once =
            column != Column::kIgnored && column != Column::kHeight && column != Column::kSlant;
        bool& seen = named[static_cast<int>(column)];
        if (once && seen && log->problem == LogProblem::kNone) {
            log->problem = LogProblem::kColumnTwice;
            log->detail = BytesToText(name);
        }
        seen = true;
        columns.push_back(column);
        if (csv->EndsRecord()) {
            break;
        }
    }
    if (log->problem == LogProblem::kNone && !columns.empty() &&
        !named[static_cast<int>(Column::kFile)]) {
        log->problem = LogProblem::kNoFileColumn;
    }
    return columns;
}

// Rows made at a time from their cells.
constexpr std::size_t kRowBatch = 2048;

// The cells of one row that the log's columns name, the rest left behind as they are read.
struct RowCells {
    std::size_t number = 0;
    std::size_t filled = 0;  // the cells up to the last that is not blank
    std::string file;
    std::string point;
    Readings readings;
};

void Take(Column column, std::string cell, RowCells* row) {
    switch (column) {
        case Column::kFile:
            row->file = std::move(cell);
            break;
        case Column::kPoint:
            row->point = std::move(cell);
            break;
        case Column::kRadius:
            row->readings.radius = std::move(cell);
            break;
        case Column::kOffset:
            row->readings.offset = std::move(cell);
            break;
        case Column::kHeight:
            row->readings.vertical.push_back(std::move(cell));
            break;
        case Column::kSlant:
            row->readings.slant.push_back(std::move(cell));
            break;
        case Column::kIgnored:
            break;
    }
}

// The first character of a point name that no file name may hold (DEL and the other control
// characters included); 0 when there is none.
char32_t BadCharacter(const std::u16string& name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == 0x7F || !IsValidPointName(name.substr(i, 1))) {
            return c;
        }
    }
    return 0;
}

LogRow MakeRow(RowCells cells, std::size_t width, double tolerance, std::optional<double> maxHeight,
               const std::u16string& folder) {
    LogRow row;
    row.number = cells.number;
    const bool text =
        cells.file.find('\0') == std::string::npos && cells.point.find('\0') == std::string::npos;
    if (!cells.file.empty()) {
        const std::u16string file = Utf8ToUtf16(cells.file);
        row.file = IsAbsolutePath(file, PlatformPathStyle()) ? file : folder + file;
    }
    if (!cells.point.empty()) {
        row.pointName = Utf8ToUtf16(cells.point);
    }
    row.given = std::move(cells.readings);
    RowProblem& problem = row.problem;
    if (cells.filled > width) {
        // More cells than column names: most likely a cell that needed quotes, such as a
        // height written with a decimal comma; taking the cells as they fall would be a guess.
        problem.kind = LogRowProblem::kTooManyCells;
        problem.cells = static_cast<std::uint32_t>(cells.filled);
        problem.columns = static_cast<std::uint32_t>(width);
    } else if (!text) {
        problem.kind = LogRowProblem::kCellNotText;
    } else if (cells.file.empty()) {
        problem.kind = LogRowProblem::kNoFileCell;
    } else if (row.pointName && (*row.pointName == u"." || *row.pointName == u"..")) {
        problem.kind = LogRowProblem::kPointDots;
    } else if (row.pointName && BadCharacter(*row.pointName) != 0) {
        problem.kind = LogRowProblem::kPointCharacter;
        problem.character = BadCharacter(*row.pointName);
    } else {
        HeightFromReadings height = HeightOf(row.given, tolerance);
        if (height.problem == ReadingsProblem::kNone) {
            row.height = BytesToText(height.heightText);
        } else if (height.problem != ReadingsProblem::kNoReadings) {
            problem.kind = LogRowProblem::kReadings;
            problem.readings = std::make_shared<const HeightFromReadings>(std::move(height));
        }
        CheckLikelyMillimetres(&row, maxHeight);
    }
    return row;
}

// An upper bound on the rows of `text` that hold a cell, so that the rows are stored once,
// without the spare room and the copy that growing by doubling costs: the lines with a byte
// that is neither a separator, a quote nor ASCII white space.
std::size_t RowsAtMost(const std::string& text, char separator) {
    std::size_t rows = 0;
    bool filled = false;
    for (const char c : text) {
        if (c == '\n') {
            rows += filled ? 1 : 0;
            filled = false;
        } else if (!filled && c != separator && c != '"' && c != ' ' && c != '\t' && c != '\r') {
            filled = true;
        }
    }
    return rows + (filled ? 1 : 0);
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
// are counted as records as far as they go.
std::size_t RowOfLine(const DecodedText& text, const std::string& bytes) {
    if (text.badLine <= 1 || text.encoding.compare(0, 6, u"UTF-16") == 0) {
        return text.badLine;  // UTF-16 text is not split by bytes; its lines are its rows
    }
    const DecodedText before =
        DecodeLog(bytes.substr(0, LineStart(bytes, text.badLine)), text.read);
    if (!before.ok) {
        return text.badLine;
    }
    CsvReader csv(before.utf8, DetectSeparator(before.utf8, "file"));
    std::string cell;
    std::size_t records = 0;
    while (csv.Next(&cell)) {
        records += csv.EndsRecord() ? 1 : 0;
    }
    return csv.Error().problem != CsvProblem::kNone ? csv.Error().record : records + 1;
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
    if (row->problem.kind == LogRowProblem::kNone && row->height &&
        NormaliseHeight(*row->height, &height) == SaveRefusal::kNone &&
        LooksLikeMillimetres(height, maxHeight)) {
        row->problem.kind = LogRowProblem::kLikelyMillimetres;
        row->problem.height = *row->height;
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
    std::string().swap(bytes);
    const char separator = DetectSeparator(text.utf8, "file");
    CsvReader csv(text.utf8, separator);
    const std::vector<Column> columns = FindColumns(&csv, &log);
    const std::u16string folder = SplitRawPath(path, PlatformPathStyle()).folder;
    log.rows.reserve(RowsAtMost(text.utf8, separator));
    // The cells are cut in order; rows are made from them a batch at a time, on two threads.
    TwoThreads threads;
    std::vector<RowCells> batch;
    batch.reserve(kRowBatch);
    const auto makeRows = [&] {
        const std::size_t base = log.rows.size();
        log.rows.resize(base + batch.size());
        threads.ForEach(0, batch.size(), kRowBatch / 4, [&](std::size_t i) {
            log.rows[base + i] =
                MakeRow(std::move(batch[i]), columns.size(), tolerance, maxHeight, folder);
        });
        batch.clear();
    };
    RowCells row;
    std::string cell;
    while (log.problem == LogProblem::kNone && csv.Next(&cell)) {
        row.number = csv.Record();
        std::string trimmed = TrimCell(cell);
        if (!trimmed.empty()) {
            row.filled = csv.Index() + 1;
            row.readings.decimalComma = separator != ',';
            Take(csv.Index() < columns.size() ? columns[csv.Index()] : Column::kIgnored,
                 std::move(trimmed), &row);
        }
        if (csv.EndsRecord()) {
            if (row.filled != 0) {  // a row of blank cells is no row
                batch.push_back(std::move(row));
                if (batch.size() == kRowBatch) {
                    makeRows();
                }
            }
            row = RowCells();
        }
    }
    makeRows();
    if (csv.Error().problem != CsvProblem::kNone) {
        log.rows.clear();
        log.problem = CsvProblemOf(csv.Error().problem);
        log.problemRow = csv.Error().record;
    } else if (log.problem != LogProblem::kNone) {
        log.problemRow = 1;
    } else if (columns.empty()) {
        log.problem = LogProblem::kEmpty;
    } else if (log.rows.empty()) {
        log.problem = LogProblem::kNoRows;
    }
    return log;
}

}  // namespace rawfile
