// The change record: a CSV file with one row for each file saved, written before the file
// changes, from which every change can be put back byte for byte.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

namespace rawfile {

struct ChangeRow {
    std::string time;        // UTC, ISO 8601 ("2026-12-07T07:40:12Z")
    std::u16string oldPath;  // full paths
    std::u16string newPath;
    std::string oldHeight;  // the height texts, "%.3f"
    std::string newHeight;
    std::string oldHead;  // the file's first bytes before the save: 160, fewer for a short file
    std::string newHead;  // the 160 bytes the save writes
};

// What a new record starts with: a UTF-8 byte-order mark (spreadsheets need it to read the
// paths) and the column names.
std::string ChangeRecordHeader();

// One row, CR LF ended; paths in quotes.
std::string FormatChangeRow(const ChangeRow& row);

struct ChangeRecord {
    std::vector<ChangeRow> rows;
    std::vector<std::size_t> rowNumbers;  // each row's number in the file, the header being 1
    bool ok = false;
    std::size_t badRow = 0;  // when !ok: the first row that is no change row (1: no header)
};

// Reads a record. Text after its last line end is a row whose writing was cut short (its file
// was never changed) and is left out; an empty file, or the start of the column names alone, is
// a record without rows.
ChangeRecord ParseChangeRecord(const std::string& bytes);

// How much of a record's bytes to keep before more rows are appended: a last row cut short (text
// after the last line end that is no whole row) is dropped, as its file was never changed; a
// whole last row that only lacks its line end is kept, and *lineEnd set, whatever the lines
// above it hold.
std::size_t WholeRecordLength(const std::string& bytes, bool* lineEnd);

// `t` as the record writes it.
std::string UtcTimestamp(std::time_t t);

}  // namespace rawfile
