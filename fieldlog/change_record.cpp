#include "change_record.h"

#include <cstdio>

#include "csv.h"
#include "header_block.h"
#include "text.h"

namespace rawfile {

namespace {

const char kColumns[] = "time,old path,new path,old height,new height,old header,new header";
constexpr std::size_t kColumnCount = 7;

std::string Quoted(const std::string& cell) {
    std::string out = "\"";
    for (char c : cell) {
        out += c == '"' ? "\"\"" : std::string(1, c);
    }
    return out + "\"";
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
    }
    return out;
}

bool FromHex(const std::string& hex, std::string* bytes) {
    if (hex.size() % 2 != 0 || hex.size() > 2 * kBlockSize) {
        return false;
    }
    bytes->clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int value = 0;
        for (std::size_t k = i; k < i + 2; ++k) {
            const char c = hex[k];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                     : -1;
            if (digit < 0) {
                return false;
            }
            value = value * 16 + digit;
        }
        bytes->push_back(static_cast<char>(value));
    }
    return true;
}

bool ReadRow(const std::vector<std::string>& cells, ChangeRow* row) {
    bool exactOld = true;
    bool exactNew = true;
    if (cells.size() != kColumnCount || cells[0].empty() || cells[1].empty() || cells[2].empty()) {
        return false;
    }
    row->time = cells[0];
    row->oldPath = Utf8ToUtf16(cells[1], &exactOld);
    row->newPath = Utf8ToUtf16(cells[2], &exactNew);
    row->oldHeight = cells[3];
    row->newHeight = cells[4];
    return exactOld && exactNew && FromHex(cells[5], &row->oldHead) &&
           FromHex(cells[6], &row->newHead) && row->newHead.size() == kBlockSize;
}

}  // namespace

std::string ChangeRecordHeader() {
    return std::string("\xEF\xBB\xBF") + kColumns + "\r\n";
}

std::string FormatChangeRow(const ChangeRow& row) {
    return row.time + "," + Quoted(Utf16ToUtf8(row.oldPath)) + "," +
           Quoted(Utf16ToUtf8(row.newPath)) + "," + row.oldHeight + "," + row.newHeight + "," +
           Hex(row.oldHead) + "," + Hex(row.newHead) + "\r\n";
}

ChangeRecord ParseChangeRecord(const std::string& bytes) {
    ChangeRecord record;
    // An empty record, or one whose column names a run was stopped in writing: no changes yet.
    if (bytes.find_first_of("\r\n") == std::string::npos &&
        ChangeRecordHeader().compare(0, bytes.size(), bytes) == 0) {
        record.ok = true;
        return record;
    }
    const std::size_t lastLineEnd = bytes.find_last_of("\r\n");
    const std::string whole =
        lastLineEnd == std::string::npos ? std::string() : bytes.substr(0, lastLineEnd + 1);
    std::vector<CsvRecord> records;
    CsvError error;
    if (!ParseCsv(whole, &records, &error)) {
        record.badRow = error.record;
        return record;
    }
    std::string columns;
    for (const std::string& cell :
         records.empty() ? std::vector<std::string>() : records[0].cells) {
        columns += (columns.empty() ? "" : ",") + cell;
    }
    if (columns != kColumns) {
        record.badRow = 1;
        return record;
    }
    for (std::size_t i = 1; i < records.size(); ++i) {
        if (records[i].cells.size() == 1 && records[i].cells[0].empty()) {
            continue;  // a blank line
        }
        ChangeRow row;
        if (!ReadRow(records[i].cells, &row)) {
            record.badRow = records[i].number;
            return record;
        }
        record.rows.push_back(row);
        record.rowNumbers.push_back(records[i].number);
    }
    record.ok = true;
    return record;
}

std::size_t WholeRecordLength(const std::string& bytes, bool* lineEnd) {
    *lineEnd = false;
    if (bytes.empty() || bytes.back() == '\n') {
        return bytes.size();
    }
    const std::size_t last = bytes.find_last_of('\n');
    const std::size_t start = last == std::string::npos ? 0 : last + 1;
    // The last line is judged on its own first, so that a line another program or a hand put
    // higher up (which undo reports) does not make a whole last row look cut short; then with
    // the rows before it, for a row whose path holds a line end.
    const ChangeRecord alone =
        ParseChangeRecord(ChangeRecordHeader() + bytes.substr(start) + "\r\n");
    const ChangeRecord ended = ParseChangeRecord(bytes + "\r\n");
    if ((start != 0 && alone.ok && alone.rows.size() == 1) ||
        (ended.ok && ended.rows.size() > ParseChangeRecord(bytes).rows.size())) {
        *lineEnd = true;
        return bytes.size();
    }
    return start;
}

std::string UtcTimestamp(std::time_t t) {
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &t);
#else
    gmtime_r(&t, &utc);
#endif
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

}  // namespace rawfile
