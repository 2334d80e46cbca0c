// A field log as rvxedit reports it: the core's reading, its problems in the console's words.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli_texts.h"
#include "log_text.h"
#include "options.h"

namespace rvxedit {

struct LogRow {
    std::size_t number = 0;  // the row in the log, the first row (the column names) being 1
    Arg file;                // the file cell, found from the log's folder when it is relative
    std::optional<std::u16string> pointName;  // none when the cell is blank or absent
    std::optional<std::u16string> height;     // the readings' height, "%.3f"; none without any
    std::u16string problem;                   // what is wrong with the row itself
};

struct FieldLog {
    std::vector<LogRow> rows;    // the rows after the first, less those with every cell blank
    std::u16string problem;      // what makes the whole log unusable
    std::size_t problemRow = 0;  // the row `problem` is in; 0 when it is in none
    std::u16string encoding;     // what it was read as ("read as windows-1252"), once read
};

// Reads the log at `path` in `encoding` (kAuto: as its bytes show for certain), its cells parted by
// the separator that makes the first row name a "file" column; readings that spread by more than
// `tolerance` metres refuse their row, as does a height above `maxHeight`
// (none: 100 m or more), most likely millimetres.
FieldLog ReadFieldLog(const std::u16string& path, rawfile::TextEncoding encoding, double tolerance,
                      std::optional<double> maxHeight, const CliTexts& t);

}  // namespace rvxedit
