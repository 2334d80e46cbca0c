// A field log: a CSV file whose first row names its columns, and whose other rows each name a
// raw file ("file") and, optionally, the point name ("point") and the antenna height it should
// get: readings in columns whose names begin with "height", or slant readings ("slant...") with
// the antenna's "radius" and an "offset". Other columns are ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "log_text.h"
#include "readings.h"

namespace rawfile {

// What is wrong with a row itself.
enum class LogRowProblem : unsigned char {
    kNone,
    kTooManyCells,  // more cells (`cells`) than column names (`columns`)
    kCellNotText,   // the file or point cell holds a NUL character
    kNoFileCell,
    kPointCharacter,     // the point name holds `character`, which no file name may hold
    kPointDots,          // the point name is "." or "..", which name folders
    kReadings,           // `readings` says what
    kLikelyMillimetres,  // the height is most likely millimetres written as metres
};

struct RowProblem {
    LogRowProblem kind = LogRowProblem::kNone;
    char32_t character = 0;   // kPointCharacter
    std::uint32_t cells = 0;  // kTooManyCells
    std::uint32_t columns = 0;
    std::u16string height;  // kLikelyMillimetres: the height as read
    // kReadings (never null then); shared, as the few rows with a problem are copied about.
    std::shared_ptr<const HeightFromReadings> readings;
};

struct LogRow {
    std::size_t number = 0;  // the row in the log, the first row (the column names) being 1
    std::u16string file;     // the file cell, found from the log's folder when it is relative
    std::optional<std::u16string> pointName;  // none when the cell is blank or absent
    std::optional<std::u16string> height;     // the readings' height, "%.3f"; none without any
    RowProblem problem;
    Readings given;  // the readings as written, blank ones left out
};

// What makes the whole log unusable.
enum class LogProblem {
    kNone,
    kTooLarge,
    kUnreadable,        // `detail`: the system's words
    kNotText,           // `detail`: the encoding tried
    kControlCharacter,  // no text at all: `detail` names the character ("0x00")
    kMarkDisagrees,     // `encoding` is the byte-order mark's, `detail` the encoding asked for
    kEncodingUnsure,    // not UTF-8, and no legacy code page shows for certain
    kUnclosedQuote,
    kStrayQuote,
    kTextAfterQuote,
    kEmpty,
    kNoRows,       // the first row names the columns, and no row follows
    kColumnTwice,  // `detail`: the column's name
    kNoFileColumn,
};

struct FieldLog {
    std::vector<LogRow> rows;  // the rows after the first, less those with every cell blank
    LogProblem problem = LogProblem::kNone;
    std::u16string detail;
    std::u16string encoding;       // the encoding the log was read in, as messages name it
    bool encodingFromBom = false;  // its byte-order mark chose `encoding`
    std::size_t problemRow = 0;    // the row `problem` is in; 0 when it is in none
};

// Reads the log at `path` in `encoding` (kAuto: as its bytes show for certain), its cells parted by
// the separator that makes the first row name a "file" column; readings that spread by more than
// `tolerance` metres refuse their row, and so does a height CheckLikelyMillimetres catches.
// Time and memory go with the log's size: blank cells and blank rows cost nothing, whatever the
// number of columns.
FieldLog ReadFieldLog(const std::u16string& path, TextEncoding encoding, double tolerance,
                      std::optional<double> maxHeight = std::nullopt);

// Refuses a row whose height is most likely millimetres (LooksLikeMillimetres with
// `maxHeight`): kLikelyMillimetres. A row with another problem or without a height is left as
// it is.
void CheckLikelyMillimetres(LogRow* row, std::optional<double> maxHeight);

}  // namespace rawfile
