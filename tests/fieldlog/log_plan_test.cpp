// The planner's values, as both front ends read them: each row's state and refusal with the
// row it clashes with, and saving in groups a step at a time, the record ahead of the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "change_record.h"
#include "claim_table.h"
#include "log_plan.h"
#include "numbers.h"
#include "paths.h"
#include "raw_gen.h"
#include "two_threads.h"

using namespace rawfile;

namespace {

TEST(LogPlanTest, EachRowGetsItsStateOrRefusalWithTheRowItClashesWith) {
    rawgen::TempDir dir;
    for (const char16_t* name : {u"A1.RVX", u"B2.RVX", u"C3.RVX", u"E5.RVX", u"F6.RVX"}) {
        rawgen::WriteFile(dir.Path(name), rawgen::StandardFile("1.500"));
    }
    RawFileEditor written;  // B2 saved once holds its fields in written form: unchanged
    ASSERT_EQ(written.Load(dir.Path(u"B2.RVX"), PlatformPathStyle()), LoadError::kNone);
    ASSERT_EQ(written.Save(u"B2", u"1.500").status, SaveStatus::kSaved);
    const struct {
        std::u16string file;
        std::optional<std::u16string> point;
        std::optional<std::u16string> height;
        RowState state;
        Refusal refusal;
        std::size_t other;
    } rows[] = {
        {u"A1.RVX", u"P1", u"1.6", RowState::kWillSave, Refusal::kNone, 0},
        {u"B2.RVX", std::nullopt, std::nullopt, RowState::kUnchanged, Refusal::kNone, 0},
        {u"A1.RVX", std::nullopt, std::nullopt, RowState::kRefused, Refusal::kSameFile, 0},
        {u"C3.RVX", u"p1", std::nullopt, RowState::kRefused, Refusal::kSameNewName, 0},
        {u"D4.RVX", std::nullopt, std::nullopt, RowState::kRefused, Refusal::kLoad, 0},
        // Refused for its own sake, a row still clashes with the row naming its file.
        {u"C3.RVX", u"P*", std::nullopt, RowState::kRefused, Refusal::kSave, 3},
        {u"B2.RVX", u"Q", std::nullopt, RowState::kRefused, Refusal::kSameFile, 1},
        {u"E5.RVX", u"Z9", std::nullopt, RowState::kWillSave, Refusal::kNone, 0},
        {u"F6.RVX", u"z9", std::nullopt, RowState::kRefused, Refusal::kSameNewName, 7},
    };
    std::vector<PlanItem> items;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        items.push_back(
            {i + 2, dir.Path(rows[i].file), false, true, rows[i].point, rows[i].height});
    }
    items.push_back({9, u"", true, true, std::nullopt, std::nullopt});  // refused by the caller
    LogPlanner planner;
    planner.Start(items);
    EXPECT_FALSE(planner.CheckSome(3));
    EXPECT_TRUE(planner.CheckSome(100));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(planner.Rows()[i].state, rows[i].state);
        EXPECT_EQ(planner.Rows()[i].refusal, rows[i].refusal);
        EXPECT_EQ(planner.Rows()[i].other, rows[i].other);
    }
    EXPECT_EQ(planner.Rows()[4].loadError, LoadError::kOpenFailed);
    EXPECT_EQ(planner.Rows()[5].outcome.refusal, SaveRefusal::kBadPointName);
    EXPECT_EQ(planner.Rows()[9].refusal, Refusal::kItem);
    EXPECT_EQ(planner.Problems(), 7u);
    EXPECT_EQ(planner.Rows()[0].OldPoint(), u"A1");
}

// Files are loaded on two threads; the claims still go in the rows' order, so the first row to
// name a file or a new name has it, however the loads interleave.
TEST(LogPlanTest, TheFirstRowToNameAFileOrNewNameHasItWhenLoadsRunTogether) {
    rawgen::TempDir dir;
    constexpr std::size_t kFiles = 40;
    for (std::size_t f = 0; f < kFiles; ++f) {
        rawgen::WriteFile(dir.Path(u"F" + WholeNumberText(static_cast<long long>(f)) + u".RVX"),
                          rawgen::StandardFile("1.500"));
    }
    std::vector<PlanItem> items;
    std::map<std::size_t, std::size_t> fileFirst;
    std::map<std::size_t, std::size_t> nameFirst;
    std::vector<std::pair<Refusal, std::size_t>> expected;
    for (std::size_t i = 0; i < 300; ++i) {
        const std::size_t file = (i * 7) % kFiles;
        const std::size_t name = (i * 11) % 90;
        items.push_back(
            {i + 2, dir.Path(u"F" + WholeNumberText(static_cast<long long>(file)) + u".RVX"), false,
             true, u"P" + WholeNumberText(static_cast<long long>(name)), std::nullopt});
        if (fileFirst.count(file) != 0) {
            expected.emplace_back(Refusal::kSameFile, fileFirst[file]);
        } else if (fileFirst.emplace(file, i), nameFirst.count(name) != 0) {
            expected.emplace_back(Refusal::kSameNewName, nameFirst[name]);
        } else {
            nameFirst.emplace(name, i);
            expected.emplace_back(Refusal::kNone, 0);
        }
    }
    for (int run = 0; run < 5; ++run) {
        LogPlanner planner;
        planner.Check(items, {}, true);
        for (std::size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(i);
            ASSERT_EQ(planner.Rows()[i].refusal, expected[i].first);
            ASSERT_EQ(planner.Rows()[i].other, expected[i].second);
        }
    }
}

// Keys that all share a few hashes, claimed past the room first made: each claim is answered
// with the first index that claimed its key, across the table's growth.
TEST(LogPlanTest, AClaimTableAnswersTheFirstClaimWhateverTheHashesAndGrowth) {
    struct FewHashes {
        std::uint64_t operator()(int key) const { return static_cast<std::uint64_t>(key % 3); }
    };
    ClaimTable<int, FewHashes, std::equal_to<int>> table;
    table.Reserve(4);
    for (std::size_t i = 0; i < 600; ++i) {
        const int key = static_cast<int>(i % 200);
        ASSERT_EQ(table.Claim(key, i), i % 200) << i;
    }
    table.Clear();
    EXPECT_EQ(table.Claim(5, 7), 7u);
}

// The steps are followed in order, each once, while both threads take them; a step that asks to
// wait is followed again once the second thread has stopped, and the later steps after it.
TEST(LogPlanTest, StepsAreFollowedInOrderAndAWaitingStepAfterTheSecondThread) {
    TwoThreads threads;
    for (const std::size_t waitAt : {std::size_t{0}, std::size_t{37}, std::size_t{999}}) {
        std::vector<std::atomic<int>> done(1000);
        std::vector<std::pair<std::size_t, bool>> followed;
        threads.ForEachFollowed(
            0, done.size(), 16, [&](std::size_t i) { done[i] = 1; },
            [&](std::size_t i, bool sharing) {
                EXPECT_EQ(done[i].load(), 1);
                followed.emplace_back(i, sharing);
                return !(sharing && i == waitAt);
            });
        std::size_t next = 0;
        bool waited = false;
        for (const auto& [i, sharing] : followed) {
            if (sharing && i == waitAt) {
                waited = true;
                continue;  // followed again below, with the second thread stopped
            }
            ASSERT_EQ(i, next++);
            EXPECT_TRUE(!sharing || !waited) << i;
        }
        EXPECT_EQ(next, done.size());
    }
}

TEST(LogPlanTest, SavesAGroupAtATimeWithTheRecordAheadAndResumes) {
    rawgen::TempDir dir;
    std::vector<PlanItem> items;
    for (int i = 0; i < 70; ++i) {
        const std::u16string name = u"F" + std::u16string(1, static_cast<char16_t>(u'A' + i / 26)) +
                                    std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        rawgen::WriteFile(dir.Path(name + u".RVX"), rawgen::StandardFile("1.500"));
        items.push_back({static_cast<std::size_t>(i + 2), dir.Path(name + u".RVX"), false, true,
                         u"N" + name, std::nullopt});
    }
    LogPlanner planner;
    planner.Check(items);
    ASSERT_EQ(planner.Problems(), 0u);
    ChangeRecordWriter record(dir.Path(u"changes.csv"));
    EXPECT_EQ(planner.SaveNextGroup(&record, false), 64u);
    EXPECT_EQ(planner.Rows()[63].state, RowState::kSaved);
    EXPECT_EQ(planner.Rows()[64].state, RowState::kWillSave);
    EXPECT_TRUE(rawgen::FileExists(dir.Path(u"FCM.RVX")));  // a cancel here leaves the rest
    EXPECT_EQ(planner.SaveNextGroup(&record, false), 6u);
    EXPECT_EQ(planner.SaveNextGroup(&record, false), 0u);
    const std::string rows = rawgen::ReadFile(dir.Path(u"changes.csv"));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 71);
    // Run again, the log finds every file already saved under its new name.
    planner.Check(items);
    EXPECT_EQ(planner.Problems(), 0u);
    EXPECT_TRUE(std::all_of(planner.Rows().begin(), planner.Rows().end(),
                            [](const RowPlan& r) { return r.state == RowState::kAlreadySaved; }));
}

// The check takes a folder's listing for whether a new name is free; the save asks the disk
// again, so a file put under the name since is never replaced.
TEST(LogPlanTest, ANameTakenAfterTheCheckIsNeverReplaced) {
    rawgen::TempDir dir;
    const rawgen::Bytes original = rawgen::StandardFile("1.500");
    rawgen::WriteFile(dir.Path(u"A1.RVX"), original);
    const std::vector<PlanItem> items = {{2, dir.Path(u"A1.RVX"), false, true, u"P1", u"1.6"}};
    LogPlanner planner;
    planner.Check(items);
    ASSERT_EQ(planner.Rows()[0].state, RowState::kWillSave);
    rawgen::WriteFile(dir.Path(u"P1.RVX"), "other");
    ChangeRecordWriter none(std::nullopt);
    EXPECT_EQ(planner.SaveNextGroup(&none, false), 1u);
    EXPECT_EQ(planner.Rows()[0].state, RowState::kFailed);
    EXPECT_EQ(planner.Rows()[0].outcome.refusal, SaveRefusal::kTargetExists);
    EXPECT_EQ(rawgen::ReadFile(dir.Path(u"P1.RVX")), "other");
    EXPECT_EQ(rawgen::ReadFile(dir.Path(u"A1.RVX")), original);
    planner.Check(items);
    EXPECT_EQ(planner.Rows()[0].refusal, Refusal::kSave);
}

}  // namespace
