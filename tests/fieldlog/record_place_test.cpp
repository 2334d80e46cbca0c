// The change record as the save step's journal: its rows on the disk before any header
// changes, nothing changed when it cannot be written, and rows only ever added to a record.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#endif

#include "change_record.h"
#include "log_plan.h"
#include "paths.h"
#include "raw_gen.h"
#include "record_file.h"
#include "text.h"

using namespace rawfile;

namespace {

// A literal's bytes, zero bytes included.
template <std::size_t N>
std::string Literal(const char (&text)[N]) {
    return std::string(text, N - 1);
}

const char kColumns[] = "time,old path,new path,old height,new height,old header,new header";

// Passes each note on to the record, and notes what the disk held once the record had it.
struct WatchingJournal : SaveJournal {
    ChangeRecordWriter* record = nullptr;
    std::vector<std::u16string> files;
    std::u16string recordPath;
    rawgen::Bytes original;
    std::vector<std::string> seen;  // "record rows", then each file: "old", "new" or "held"

    bool Note(const std::vector<const SaveRequest*>& ready, FileError* error) override {
        const bool ok = record->Note(ready, error);
        seen.push_back(ParseChangeRecord(rawgen::ReadFile(recordPath)).rows.size() == ready.size()
                           ? "record rows"
                           : "no rows");
        // Windows lets nobody read a file held for a save: it reads as nothing.
        for (const std::u16string& f : files) {
            const rawgen::Bytes now = rawgen::ReadFile(f);
            seen.push_back(now == original ? "old" : now.empty() ? "held" : "new");
        }
        return ok;
    }
};

TEST(RecordPlaceTest, TheRowsReachTheDiskBeforeAnyHeaderAndAFailedRecordChangesNothing) {
    rawgen::TempDir dir;
    const rawgen::Bytes original = rawgen::StandardFile("1.500");
    std::vector<std::u16string> files = {dir.Path(u"A1.RVX"), dir.Path(u"B2.RVX")};
    std::vector<RawFileEditor> editors(2);
    for (std::size_t i = 0; i < 2; ++i) {
        rawgen::WriteFile(files[i], original);
        ASSERT_EQ(editors[i].Load(files[i], PlatformPathStyle()), LoadError::kNone);
    }
    ChangeRecordWriter record(dir.Path(u"changes.csv"));
    WatchingJournal journal;
    journal.record = &record;
    journal.files = files;
    journal.recordPath = dir.Path(u"changes.csv");
    journal.original = original;
    std::vector<SaveRequest> requests = {{&editors[0], u"P1", u"1.6", {}, std::nullopt},
                                         {&editors[1], u"B2", u"1.7", {}, std::nullopt}};
    SaveGroup(requests.data(), requests.size(), nullptr, &journal);
#ifdef _WIN32
    EXPECT_EQ(journal.seen, (std::vector<std::string>{"record rows", "held", "held"}));
#else
    EXPECT_EQ(journal.seen, (std::vector<std::string>{"record rows", "old", "old"}));
#endif
    EXPECT_EQ(requests[0].outcome.status, SaveStatus::kSaved);
    EXPECT_EQ(requests[1].outcome.status, SaveStatus::kSaved);

    // A record that cannot be written: no header written, every hold let go.
    rawgen::WriteFile(dir.Path(u"log.csv"), rawgen::Bytes("file,point\r\nA1.RVX,P1\r\n"));
    ChangeRecordWriter refused(dir.Path(u"log.csv"));
    const rawgen::Bytes saved = rawgen::ReadFile(dir.Path(u"P1.RVX"));
    requests = {{&editors[0], u"P2", u"2.0", {}, std::nullopt}};
    SaveGroup(requests.data(), 1, nullptr, &refused);
    EXPECT_EQ(requests[0].outcome.status, SaveStatus::kJournalFailed);
    EXPECT_EQ(refused.Place(), RecordPlace::kFieldLog);
    EXPECT_EQ(requests[0].outcome.error.path, dir.Path(u"log.csv"));
    EXPECT_EQ(rawgen::ReadFile(dir.Path(u"P1.RVX")), saved);
    EXPECT_FALSE(rawgen::FileExists(dir.Path(u"P2.RVX")));
    EXPECT_EQ(editors[0].Save(u"P2", u"2.0").status, SaveStatus::kSaved);  // not held any more
}

TEST(RecordPlaceTest, JudgesAFileByWhatItHolds) {
    const std::string raw(rawgen::StandardFile("1.500"));
    const struct {
        std::string bytes;
        RecordPlace place;
    } cases[] = {
        {"", RecordPlace::kEmpty},
        {"\xEF\xBB\xBFtime,old pa", RecordPlace::kEmpty},  // a writer stopped in the columns
        {std::string("\xEF\xBB\xBF") + kColumns + "\r\n", RecordPlace::kRecord},
        {std::string(kColumns) + "\n2026-01-01T00:00:00Z,x", RecordPlace::kRecord},
        {std::string(kColumns) + "x\r\n", RecordPlace::kNotRecord},
        // A record a spreadsheet saved again: every cell quoted, no byte-order mark.
        {"\"time\",\"old path\",\"new path\",\"old height\",\"new height\",\"old header\","
         "\"new header\"\n",
         RecordPlace::kRecord},
        {raw, RecordPlace::kRawFile},
        {"file;point;height1\r\nA.RVX;P;1.5\r\n", RecordPlace::kFieldLog},
        {Literal("\xFF\xFEp\0o\0i\0n\0t\0\t\0F\0i\0l\0e\0\r\0\n\0"), RecordPlace::kFieldLog},
        {"\x89PNG\r\n\x1a\n", RecordPlace::kNotRecord},
        {"t", RecordPlace::kNotRecord},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 20));
        EXPECT_EQ(JudgeRecord(c.bytes), c.place);
    }
}

// What each file named as the record is taken for, and that no refused one changes.
TEST(RecordPlaceTest, RowsAreOnlyEverAddedToARecord) {
    rawgen::TempDir dir;
    const rawgen::Bytes raw = rawgen::StandardFile("1.500");
    const rawgen::Bytes log("file,point\r\nA1.RVX,P1\r\n");
    rawgen::WriteFile(dir.Path(u"A1.RVX"), raw);
    rawgen::WriteFile(dir.Path(u"rawcopy.csv"), raw);
    rawgen::WriteFile(dir.Path(u"A1.RVX.bak"), raw);
    rawgen::WriteFile(dir.Path(u"log.csv"), log);
    rawgen::WriteFile(dir.Path(u"notes.csv"), rawgen::Bytes("a,b\r\n"));
    rawgen::WriteFile(dir.Path(u"empty.csv"), rawgen::Bytes(""));
    std::vector<std::pair<std::u16string, RecordPlace>> cases = {
        {u"rawcopy.csv", RecordPlace::kRawFile}, {u"A1.RVX.bak", RecordPlace::kRawFile},
        {u"A1.RVX", RecordPlace::kRawFile},      {u"log.csv", RecordPlace::kInput},
        {u"notes.csv", RecordPlace::kNotRecord}, {u"empty.csv", RecordPlace::kEmpty},
        {u"new.csv", RecordPlace::kNew},         {u"missing/new.csv", RecordPlace::kFailed},
    };
#ifndef _WIN32
    std::filesystem::create_symlink("A1.RVX", Utf16ToUtf8(dir.Path(u"link.csv")));
    std::filesystem::create_hard_link(Utf16ToUtf8(dir.Path(u"A1.RVX")),
                                      Utf16ToUtf8(dir.Path(u"hard.csv")));
    rawgen::WriteFile(dir.Path(u"other.csv"), log);
    cases.push_back({u"link.csv", RecordPlace::kRawFile});
    cases.push_back({u"hard.csv", RecordPlace::kRawFile});
    cases.push_back({u"other.csv", RecordPlace::kFieldLog});  // a log, not the one read
#endif
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.first));
        const std::u16string path = dir.Path(c.first);
        const bool existed = rawgen::FileExists(path);
        const rawgen::Bytes before = existed ? rawgen::ReadFile(path) : rawgen::Bytes();
        FileError error;
        EXPECT_EQ(InspectRecord(path, dir.Path(u"log.csv"), &error), c.second);
        ChangeRecordWriter record(path, dir.Path(u"log.csv"));
        EXPECT_EQ(record.Open(&error), c.second);
        if (!MayAppend(c.second)) {
            EXPECT_EQ(error.path, path);
            EXPECT_EQ(rawgen::ReadFile(path), before);
        }
    }
    // The empty record and the new one got the column names at their first rows.
    RawFileEditor editor;
    ASSERT_EQ(editor.Load(dir.Path(u"A1.RVX"), PlatformPathStyle()), LoadError::kNone);
    ChangeRecordWriter empty(dir.Path(u"empty.csv"));
    EXPECT_EQ(editor.Save(u"A1", u"1.6", &empty).status, SaveStatus::kSaved);
    const ChangeRecord read = ParseChangeRecord(rawgen::ReadFile(dir.Path(u"empty.csv")));
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.rows.size(), 1u);
}

#ifndef _WIN32
TEST(RecordPlaceTest, ARecordAnotherWriterHoldsIsBusy) {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"changes.csv");
    rawgen::WriteFile(path, rawgen::Bytes(""));
    const int fd = open(Utf16ToUtf8(path).c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    ChangeRecordWriter record(path);
    FileError error;
    EXPECT_EQ(record.Open(&error), RecordPlace::kBusy);
    close(fd);
}
#endif

}  // namespace
