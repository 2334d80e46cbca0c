// The part of the change record's file that does not depend on the system.
#include "record_file.h"

#include <cstdio>

#include "change_record.h"
#include "csv.h"
#include "file_identity.h"
#include "loader.h"
#include "paths.h"

namespace rawfile {

namespace {

// How much of a file is read to judge what it is.
constexpr std::size_t kJudgedBytes = 64u << 10;

// The first line of `bytes` as ASCII: byte-order marks and the zero bytes of UTF-16 left out.
std::string FirstLineAscii(const std::string& bytes) {
    std::size_t at = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        at = 3;
    } else if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        at = 2;
    }
    std::string line;
    for (; at < bytes.size() && bytes[at] != '\r' && bytes[at] != '\n'; ++at) {
        if (bytes[at] != '\0') {
            line.push_back(bytes[at]);
        }
    }
    return line;
}

// True when a cell of `line`, parted by a comma, semicolon or tab, is "file" in any case.
bool NamesFileColumn(const std::string& line) {
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t end = line.find_first_of(",;\t", start);
        if (end == std::string::npos) {
            end = line.size();
        }
        std::string cell;
        for (std::size_t i = start; i < end; ++i) {
            const char c = line[i];
            if (c != ' ' && c != '"') {
                cell.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
            }
        }
        if (cell == "file") {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// True when the first line of `bytes` holds the cells `columns`, quoted or not (a spreadsheet
// that saves the record again quotes every cell).
bool FirstLineHolds(const std::string& bytes, const std::string& columns) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string::npos) {
        return false;
    }
    const std::string line = bytes.substr(0, end + 1);
    CsvReader reader(line, ',');
    std::string cells;
    std::string cell;
    while (reader.Record() == 1 && reader.Next(&cell)) {
        cells += (reader.Index() == 0 ? "" : ",") + cell;
        if (reader.EndsRecord()) {
            return reader.Record() == 1 && cells == columns;
        }
    }
    return false;
}

bool SameFile(const std::u16string& a, const std::u16string& b) {
    FileKey ka;
    FileKey kb;
    return !b.empty() && KeyOf(a, &ka) && KeyOf(b, &kb) && ka == kb;
}

}  // namespace

RecordPlace JudgeRecord(const std::string& bytes) {
    const std::string header = ChangeRecordHeader();  // byte-order mark, columns, CR LF
    const std::string columns = header.substr(3, header.size() - 5);
    const std::size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (bytes.compare(at, columns.size(), columns) == 0) {
        const std::size_t end = at + columns.size();
        if (bytes.compare(end, 2, "\r\n") == 0 || bytes.compare(end, 1, "\n") == 0) {
            return RecordPlace::kRecord;
        }
    }
    if (FirstLineHolds(bytes, columns)) {
        return RecordPlace::kRecord;
    }
    if (bytes.empty() || (bytes.size() >= 3 && header.compare(0, bytes.size(), bytes) == 0)) {
        return RecordPlace::kEmpty;
    }
    const std::size_t head = bytes.size() < kBlockSize ? bytes.size() : kBlockSize;
    if (LoadRawHeaderFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), head).error ==
        LoadError::kNone) {
        return RecordPlace::kRawFile;
    }
    return NamesFileColumn(FirstLineAscii(bytes)) ? RecordPlace::kFieldLog
                                                  : RecordPlace::kNotRecord;
}

RecordPlace InspectRecord(const std::u16string& path, const std::u16string& input,
                          FileError* error) {
    if (KindOf(path) == EntryKind::kMissing) {
        // A new record is made in its folder: a folder that is not there cannot take it.
        const std::uint32_t code = LastReadError();
        const std::u16string folder = SplitRawPath(path, PlatformPathStyle()).folder;
        if (KindOf(folder.empty() ? u"." : folder) == EntryKind::kFolder) {
            return RecordPlace::kNew;
        }
        error->op = FileOp::kOpen;
        error->path = path;
        error->code = code;
        error->reason = SystemReason(code);
        return RecordPlace::kFailed;
    }
    if (SameFile(path, input)) {
        return RecordPlace::kInput;
    }
    std::FILE* file = OpenForReading(path);
    std::string bytes(kJudgedBytes, '\0');
    const std::size_t n = file != nullptr ? std::fread(&bytes[0], 1, bytes.size(), file) : 0;
    if (file == nullptr || std::ferror(file)) {
        error->op = file == nullptr ? FileOp::kOpen : FileOp::kRead;
        error->path = path;
        error->code = LastReadError();
        error->reason = SystemReason(error->code);
        if (file != nullptr) {
            std::fclose(file);
        }
        return RecordPlace::kFailed;
    }
    std::fclose(file);
    bytes.resize(n);
    return JudgeRecord(bytes);
}

RecordPlace AppendFile::Open(const std::u16string& path, const std::u16string& input,
                             FileError* error) {
    path_ = path;
    bool created = false;
    bool busy = false;
    std::uint64_t size = 0;
    if (!OpenLocked(path, &created, &busy, &size, error)) {
        Close();
        return busy ? RecordPlace::kBusy : RecordPlace::kFailed;
    }
    if (SameFile(path, input)) {
        Close();
        return RecordPlace::kInput;
    }
    std::string bytes(static_cast<std::size_t>(size < kJudgedBytes ? size : kJudgedBytes), '\0');
    if (!ReadFromStart(&bytes, error)) {
        Close();
        return RecordPlace::kFailed;
    }
    const RecordPlace place = created ? RecordPlace::kNew : JudgeRecord(bytes);
    if (!MayAppend(place)) {
        Close();
        return place;
    }
    bytes.resize(static_cast<std::size_t>(size));
    if (size > kJudgedBytes && !ReadFromStart(&bytes, error)) {
        Close();
        return RecordPlace::kFailed;
    }
    // A stopped writer may have left a last row, or the column names, cut short.
    const std::size_t keep = WholeRecordLength(bytes, &lineEnd_);
    if ((keep < bytes.size() && !CutTo(keep, error)) ||
        (created && !FlushFolder(SplitRawPath(path_, PlatformPathStyle()).folder, error))) {
        Close();
        return RecordPlace::kFailed;
    }
    return keep == 0 && place == RecordPlace::kRecord ? RecordPlace::kEmpty : place;
}

}  // namespace rawfile
