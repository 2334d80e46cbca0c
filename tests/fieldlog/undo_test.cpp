// Undo read as a history: after a run cut short at each point a kill can leave it and run
// again, and after an undo cut short and run again, every file is back byte for byte; the
// files that block an undo, each with what the disk holds, and undoing the others.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "change_record.h"
#include "paths.h"
#include "raw_gen.h"
#include "text.h"
#include "undo.h"

using namespace rawfile;

namespace {

using Files = std::map<std::u16string, std::string>;

// The raw files of the folder by name.
Files Snapshot(const rawgen::TempDir& dir) {
    Files files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Folder())) {
        const std::u16string name = entry.path().filename().u16string();
        if (name.size() > 4 && name.substr(name.size() - 4) == u".RVX") {
            files[name] = rawgen::ReadFile(dir.Path(name));
        }
    }
    return files;
}

// Saves every row the planner did not refuse, recording them in `record` (if any).
void SaveAll(LogPlanner* planner, const std::optional<std::u16string>& record) {
    ChangeRecordWriter writer(record);
    while (planner->SaveNextGroup(&writer, false) != 0) {
    }
    for (const RowPlan& row : planner->Rows()) {
        ASSERT_NE(row.outcome.status, SaveStatus::kJournalFailed);
    }
}

void Apply(const std::vector<PlanItem>& items, const std::u16string& record) {
    LogPlanner planner;
    planner.Check(items);
    ASSERT_EQ(planner.Problems(), 0u);
    SaveAll(&planner, record);
}

std::vector<PlanItem> UndoItemsOf(const std::u16string& record) {
    const ChangeRecord read = ParseChangeRecord(rawgen::ReadFile(record));
    EXPECT_TRUE(read.ok);
    return UndoItems(read);
}

void Undo(const std::u16string& record, const std::optional<std::u16string>& newRecord = {}) {
    LogPlanner planner;
    planner.Check(UndoItemsOf(record));
    ASSERT_EQ(planner.Problems(), 0u);
    SaveAll(&planner, newRecord);
}

// Where a kill leaves a file whose save from `before` to `after` it cut short.
enum class Kill {
    kRecordOnly,     // its row is in the record, its header not written
    kHeaderWritten,  // its header written and flushed, not renamed
    kHeaderTorn,     // its header written up to the millimetre field
    kDone,           // saved and renamed, the run killed before the next group
};

using Moves = std::vector<std::pair<std::u16string, std::u16string>>;  // before, after

// Puts each file the save moved from `before` to `after` where the kill would have left it.
void CutShort(const rawgen::TempDir& dir, const Files& before, const Files& after,
              const Moves& moves, Kill kill) {
    for (const auto& [from, to] : moves) {
        if (kill == Kill::kDone) {
            continue;
        }
        const std::string& old = before.at(from);
        const std::string& saved = after.at(to);
        const std::string head = kill == Kill::kRecordOnly ? old.substr(0, 160)
                                 : kill == Kill::kHeaderTorn
                                     ? saved.substr(0, 130) + old.substr(130, 30)
                                     : saved.substr(0, 160);
        std::filesystem::remove(std::filesystem::path(dir.Path(to)));
        rawgen::WriteFile(dir.Path(from), head + saved.substr(160));
    }
}

// A file of its own receiver: no other file holds its header.
std::string FileOf(int receiver, const std::string& height = "1.500") {
    std::vector<std::string> lines = rawgen::StandardLines();
    lines[2] = "ReceiverID:R" + std::to_string(10000 + receiver);
    lines[5] = "AntHigh:" + height;
    return rawgen::MakeHeader(lines) + rawgen::ReceiverData(300, receiver);
}

// Three files, in name order before and after: renamed and given a height, a height alone, and
// renamed alone.
std::vector<PlanItem> Campaign(const rawgen::TempDir& dir) {
    rawgen::WriteFile(dir.Path(u"A1.RVX"), rawgen::StandardFile("1.500", 300));
    rawgen::WriteFile(dir.Path(u"B2.RVX"), rawgen::StandardFile("1.500", 301));
    rawgen::WriteFile(dir.Path(u"C3.RVX"), rawgen::StandardFile("1.500", 302));
    return {{2, dir.Path(u"A1.RVX"), false, true, u"P1", u"1.6"},
            {3, dir.Path(u"B2.RVX"), false, true, std::nullopt, u"1.7"},
            {4, dir.Path(u"C3.RVX"), false, true, u"Q3", std::nullopt}};
}

TEST(UndoTest, AfterAKilledRunRunAgainEveryFileComesBack) {
    for (Kill kill : {Kill::kRecordOnly, Kill::kHeaderWritten, Kill::kHeaderTorn, Kill::kDone}) {
        SCOPED_TRACE(static_cast<int>(kill));
        rawgen::TempDir dir;
        const std::u16string record = dir.Path(u"rec.csv");
        const std::vector<PlanItem> items = Campaign(dir);
        const Files original = Snapshot(dir);
        Apply(items, record);
        const Files applied = Snapshot(dir);
        CutShort(dir, original, applied,
                 {{u"A1.RVX", u"P1.RVX"}, {u"B2.RVX", u"B2.RVX"}, {u"C3.RVX", u"Q3.RVX"}}, kill);
        Apply(items, record);  // the same command again finishes the run
        EXPECT_EQ(Snapshot(dir), applied);
        Undo(record);
        EXPECT_EQ(Snapshot(dir), original);
        Undo(record);  // again: nothing left to put back
        EXPECT_EQ(Snapshot(dir), original);
    }
}

TEST(UndoTest, AnUndoCutShortAndRunAgainPutsBackAndIsUndoneInTurn) {
    for (Kill kill : {Kill::kRecordOnly, Kill::kHeaderWritten, Kill::kHeaderTorn, Kill::kDone}) {
        SCOPED_TRACE(static_cast<int>(kill));
        rawgen::TempDir dir;
        const std::u16string record = dir.Path(u"rec.csv");
        const std::u16string undone = dir.Path(u"undone.csv");
        const std::vector<PlanItem> items = Campaign(dir);
        const Files original = Snapshot(dir);
        Apply(items, record);
        // A second change of the first file: its history is A1 -> P1 -> R1.
        Apply({{0, dir.Path(u"P1.RVX"), false, true, u"R1", u"1.8"}}, record);
        const Files changed = Snapshot(dir);
        Undo(record, undone);
        EXPECT_EQ(Snapshot(dir), original);
        CutShort(dir, changed, original,
                 {{u"R1.RVX", u"A1.RVX"}, {u"B2.RVX", u"B2.RVX"}, {u"Q3.RVX", u"C3.RVX"}}, kill);
        Undo(record, undone);
        EXPECT_EQ(Snapshot(dir), original);
        Undo(undone);  // the undo's own record, rows added again included, undoes the undo
        EXPECT_EQ(Snapshot(dir), changed);
    }
}

TEST(UndoTest, ListsEveryFileThatBlocksWithWhatTheDiskHoldsAndCanUndoTheOthers) {
    rawgen::TempDir dir;
    const std::u16string record = dir.Path(u"rec.csv");
    std::vector<PlanItem> items;
    int receiver = 0;
    for (const char16_t* name : {u"F1", u"F2", u"F3", u"F4", u"F5", u"F6"}) {
        rawgen::WriteFile(dir.Path(name + std::u16string(u".RVX")), FileOf(++receiver));
        items.push_back({0, dir.Path(name + std::u16string(u".RVX")), false, true,
                         u"N" + std::u16string(name), u"1.6"});
    }
    const Files original = Snapshot(dir);
    Apply(items, record);
    // Another program changed the height of NF1.
    rawgen::WriteFile(dir.Path(u"NF1.RVX"), FileOf(1, "1.900"));
    std::filesystem::remove(std::filesystem::path(dir.Path(u"NF2.RVX")));
    std::filesystem::rename(std::filesystem::path(dir.Path(u"NF3.RVX")),
                            std::filesystem::path(dir.Path(u"ZZ.RVX")));
    rawgen::WriteFile(dir.Path(u"F4.RVX"), FileOf(7));  // its old name taken
    ChangeRecord read = ParseChangeRecord(rawgen::ReadFile(record));
    ASSERT_EQ(read.rows.size(), 6u);
    read.rows[5].oldHead.replace(read.rows[5].oldHead.find("AntHigh:"), 8, "AntHigX:");
    const Files blocked = Snapshot(dir);
    const struct {
        Refusal refusal;
        const char16_t* where;  // the path the refusal names
    } expected[] = {
        {Refusal::kBadOldHead, u"NF6.RVX"}, {Refusal::kNone, u"NF5.RVX"},
        {Refusal::kSave, u"NF4.RVX"},       {Refusal::kRenamed, u"ZZ.RVX"},
        {Refusal::kMissing, u""},           {Refusal::kChangedSince, u"NF1.RVX"},
    };
    for (bool skip : {false, true}) {
        LogPlanner planner;
        planner.Check(UndoItems(read));
        ASSERT_EQ(planner.Rows().size(), std::size(expected));
        EXPECT_EQ(planner.Problems(), 5u);
        for (std::size_t i = 0; i < std::size(expected); ++i) {
            SCOPED_TRACE(i);
            const RowPlan& row = planner.Rows()[i];
            EXPECT_EQ(row.refusal, expected[i].refusal);
            const std::u16string& where = row.refusal == Refusal::kRenamed ? row.endPath : row.path;
            EXPECT_EQ(where, *expected[i].where ? dir.Path(expected[i].where) : u"");
        }
        EXPECT_EQ(planner.Rows()[0].loadError, LoadError::kNoAntHeight);
        EXPECT_EQ(planner.Rows()[2].outcome.refusal, SaveRefusal::kTargetExists);
        EXPECT_EQ(planner.Rows()[5].oldHeight, u"1.900");
        if (skip) {
            SaveAll(&planner, std::nullopt);  // undoes the one file not blocked, alone
            Files expectedFiles = blocked;
            expectedFiles.erase(u"NF5.RVX");
            expectedFiles[u"F5.RVX"] = original.at(u"F5.RVX");
            EXPECT_EQ(Snapshot(dir), expectedFiles);
        }
    }
}

TEST(UndoTest, AnEmptyRecordOrOneCutInItsColumnNamesHoldsNoChanges) {
    for (const std::string bytes : {"", "\xEF\xBB\xBF", "\xEF\xBB\xBFtime,old pa"}) {
        const ChangeRecord read = ParseChangeRecord(bytes);
        EXPECT_TRUE(read.ok);
        EXPECT_TRUE(read.rows.empty());
    }
    EXPECT_FALSE(ParseChangeRecord("time,old path").ok);  // no byte-order mark: not ours
    EXPECT_FALSE(ParseChangeRecord("hello").ok);
}

}  // namespace
