// Saving: normalisation, every refusal with nothing changed on disk, the renames, and the
// promise that nothing after byte 159 ever changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "editing.h"
#include "loader.h"
#include "messages.h"
#include "raw_file_name.h"
#include "raw_gen.h"
#include "save.h"

using namespace rawfile;

namespace {

struct Normalised {
    SaveRefusal refusal;
    std::string text;
    std::int32_t mm;
};

Normalised Normalise(const std::u16string& typed) {
    NormalisedHeight h;
    const SaveRefusal r = NormaliseHeight(typed, &h);
    return {r, h.text, h.millimetres};
}

// Loads a file the way the editor does and keeps what a save needs.
LoadedFile Load(const std::u16string& path) {
    EditedFile edited;
    EXPECT_EQ(LoadForEditing(path, PlatformIsWindows() ? PathStyle::kWindows : PathStyle::kPosix,
                             &edited),
              LoadError::kNone);
    return edited.file;
}

SaveOutcome Save(LoadedFile* file, const std::u16string& point, const std::u16string& height,
                 SavePlan* plan) {
    SaveOutcome out;
    out.refusal = PlanSave(*file, point, height, plan);
    if (out.refusal != SaveRefusal::kNone) {
        out.status = SaveStatus::kRefused;
        return out;
    }
    out = CarryOutSave(file->path, *plan);
    if (out.status == SaveStatus::kSaved) {
        file->path = plan->newPath;
    }
    return out;
}

}  // namespace

TEST(Save, HeightIsNormalisedToThreeDecimals) {
    EXPECT_EQ(Normalise(u"1.6").text, "1.600");
    EXPECT_EQ(Normalise(u"1.6").mm, 1600);
    EXPECT_EQ(Normalise(u"2").mm, 2000);
    EXPECT_EQ(Normalise(u"1.2345").text, "1.235");
    EXPECT_EQ(Normalise(u"1.2345").mm, 1235);
    EXPECT_EQ(Normalise(u"0.0004").mm, 0);
    EXPECT_EQ(Normalise(u"1.50000000000000").mm, 1500);
    // Negative heights round half away from zero, not 1 mm short.
    EXPECT_EQ(Normalise(u"-1.5").mm, -1500);
    EXPECT_EQ(Normalise(u"-1.600").mm, -1600);
    EXPECT_EQ(Normalise(u" 1.5 ").text, "1.500");
}

TEST(Save, HeightsThatAreNotNumbersOrTooBigAreRefused) {
    for (const char16_t* t : {u"abc", u"", u"1,5", u"1.5m"}) {
        EXPECT_EQ(Normalise(t).refusal, SaveRefusal::kHeightNotNumber);
    }
    for (const char16_t* t : {u"1e39", u"2147484", u"-2147484", u"1e13"}) {
        EXPECT_EQ(Normalise(t).refusal, SaveRefusal::kHeightOutOfRange);
    }
    EXPECT_EQ(Normalise(u"2147483").refusal, SaveRefusal::kNone);
    EXPECT_EQ(Normalise(u"-2147483").mm, -2147483000);
}

TEST(Save, RefusalsChangeNothingOnDisk) {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"ABCD0861.RVX");
    const rawgen::Bytes original = rawgen::StandardFile();
    rawgen::WriteFile(path, original);
    rawgen::WriteFile(dir.Path(u"TAKEN0861.RVX"), "other");
    LoadedFile file = Load(path);

    struct Case {
        std::u16string point, height;
        SaveRefusal refusal;
    };
    const Case cases[] = {
        {u"A/B", u"1.6", SaveRefusal::kBadPointName},
        {u"A\\B", u"1.6", SaveRefusal::kBadPointName},
        {u"WXYZ", u"abc", SaveRefusal::kHeightNotNumber},
        {u"WXYZ", u"1e39", SaveRefusal::kHeightOutOfRange},
        {u"TAKEN", u"1.6", SaveRefusal::kTargetExists},
    };
    for (const auto& c : cases) {
        SavePlan plan;
        const SaveOutcome out = Save(&file, c.point, c.height, &plan);
        EXPECT_EQ(out.status, SaveStatus::kRefused);
        EXPECT_EQ(out.refusal, c.refusal);
        EXPECT_EQ(rawgen::ReadFile(path), original);
        EXPECT_EQ(rawgen::ReadFile(dir.Path(u"TAKEN0861.RVX")), "other");
    }
    // A header that cannot fit is refused too.
    file.values.model = "Model:" + std::string(100, 'M');
    SavePlan plan;
    EXPECT_EQ(Save(&file, u"ABCD", u"1.6", &plan).refusal, SaveRefusal::kHeaderTooLong);
    file.values.model.clear();
    file.values.version = 1e300;
    EXPECT_EQ(Save(&file, u"ABCD", u"1.6", &plan).refusal, SaveRefusal::kHeaderTooLong);
    EXPECT_EQ(rawgen::ReadFile(path), original);
    EXPECT_EQ(SaveRefusalMessage(SaveRefusal::kTargetExists, u"X"),
              u"目标文件已存在，未做任何修改\nX");
}

TEST(Save, WritesTheBlockAndRenamesTwiceInARow) {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"ABCD0861.RVX");
    const rawgen::Bytes original = rawgen::StandardFile("1.500", 10000);
    rawgen::WriteFile(path, original);
    LoadedFile file = Load(path);

    SavePlan plan;
    ASSERT_EQ(Save(&file, u"LONGNAME12", u"1.6", &plan).status, SaveStatus::kSaved);
    EXPECT_EQ(plan.pointName, u"LONGNAME");
    EXPECT_EQ(file.path, dir.Path(u"LONGNAME0861.RVX"));
    EXPECT_FALSE(rawgen::FileExists(path));
    rawgen::Bytes now = rawgen::ReadFile(file.path);
    EXPECT_EQ(now.substr(0, 160),
              std::string(reinterpret_cast<const char*>(plan.block.data()), 160));
    EXPECT_NE(now.find("AntHigh:1.600\r\n"), std::string::npos);
    EXPECT_EQ(now.substr(160), original.substr(160));
    // The saved file loads back with the new height and the old values.
    EXPECT_EQ(LoadRawHeader(file.path).values.antHeight, 1.6f);
    EXPECT_EQ(LoadRawHeader(file.path).values.model, "Model:VX-10 GNSS");

    // The second save uses the path the first produced; an empty point name keeps the tail.
    ASSERT_EQ(Save(&file, u"", u"2", &plan).status, SaveStatus::kSaved);
    EXPECT_EQ(file.path, dir.Path(u"0861.RVX"));
    EXPECT_EQ(MillimetresInBlock(
                  reinterpret_cast<const std::uint8_t*>(rawgen::ReadFile(file.path).data())),
              2000);
    // Saving under the same name rewrites in place.
    ASSERT_EQ(Save(&file, u"", u"3", &plan).status, SaveStatus::kSaved);
    EXPECT_EQ(file.path, dir.Path(u"0861.RVX"));
}

TEST(Save, ShortNamesGainTheStandardTailAndShortFilesGrow) {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"A.RV");
    rawgen::WriteFile(path, "ver 1\nReceiverID:1\nDate:2\nAntHigh:3\n");
    LoadedFile file = Load(path);
    SavePlan plan;
    ASSERT_EQ(Save(&file, u"P", u"3", &plan).status, SaveStatus::kSaved);
    EXPECT_EQ(file.path, dir.Path(u"P.RVX"));
    EXPECT_EQ(rawgen::ReadFile(file.path).size(), 160u);
}

TEST(Save, FailedOpenWritesAndRenamesNothing) {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"ABCD0861.RVX");
    rawgen::WriteFile(path, rawgen::StandardFile());
    LoadedFile file = Load(path);
    SavePlan plan;
    file.path = dir.Path(u"GONE0861.RVX");  // deleted since it was loaded
    const SaveOutcome out = Save(&file, u"NEW", u"1", &plan);
    EXPECT_EQ(out.status, SaveStatus::kWriteFailed);
    EXPECT_EQ(out.error.op, FileOp::kOpen);
    EXPECT_EQ(out.error.path, file.path);
    EXPECT_FALSE(out.error.reason.empty());
    EXPECT_FALSE(rawgen::FileExists(dir.Path(u"NEW0861.RVX")));
    EXPECT_FALSE(rawgen::FileExists(file.path));
}

TEST(Save, RenameNeverReplacesAnotherFile) {
    rawgen::TempDir dir;
    rawgen::WriteFile(dir.Path(u"a"), "A");
    rawgen::WriteFile(dir.Path(u"b"), "B");
    FileError error;
    EXPECT_FALSE(RenameNoReplace(dir.Path(u"a"), dir.Path(u"b"), &error));
    EXPECT_EQ(error.op, FileOp::kRename);
    EXPECT_EQ(rawgen::ReadFile(dir.Path(u"a")), "A");
    EXPECT_EQ(rawgen::ReadFile(dir.Path(u"b")), "B");
    EXPECT_EQ(CheckRenameTarget(dir.Path(u"a"), dir.Path(u"b")), TargetState::kOther);
    EXPECT_EQ(CheckRenameTarget(dir.Path(u"a"), dir.Path(u"c")), TargetState::kFree);
}

TEST(Save, BytesAfter159NeverChange) {
    // Many generated files and edits: the data part and the length come through every save.
    rawgen::TempDir dir;
    std::mt19937 rng(9);
    const std::u16string names[] = {u"ABCD0861.RVX", u"X.RVX", u"STATIONALPHA0861.RVX"};
    for (int round = 0; round < 60; ++round) {
        const std::u16string path = dir.Path(names[round % 3]);
        const std::size_t dataSize = rng() % 3 == 0 ? 0 : rng() % 5000;
        auto lines = rawgen::StandardLines();
        if (round % 4 == 0) {
            lines.erase(lines.begin() + 4);  // no model line
        }
        rawgen::Bytes original = rawgen::MakeHeader(lines) +
                                 rawgen::ReceiverData(dataSize, static_cast<std::uint32_t>(rng()));
        if (rng() % 5 == 0) {
            original = "ver 1\nReceiverID:1\nDate:2\nAntHigh:3\n";  // shorter than a block
        }
        rawgen::WriteFile(path, original);
        LoadedFile file = Load(path);
        SavePlan plan;
        const std::u16string point =
            round % 2 ? u"P" + std::u16string(1, static_cast<char16_t>(u'0' + round % 10)) : u"";
        const double h = static_cast<int>(rng() % 200000) / 1000.0 - 100;
        std::string text = std::to_string(h);
        const SaveOutcome out = Save(&file, point, std::u16string(text.begin(), text.end()), &plan);
        ASSERT_EQ(out.status, SaveStatus::kSaved);
        const rawgen::Bytes now = rawgen::ReadFile(file.path);
        ASSERT_EQ(now.size(), std::max<std::size_t>(160, original.size()));
        if (original.size() > 160) {
            ASSERT_EQ(now.substr(160), original.substr(160));
        }
        EXPECT_EQ(MillimetresInBlock(reinterpret_cast<const std::uint8_t*>(now.data())),
                  plan.height.millimetres);
        std::filesystem::remove(std::filesystem::path(file.path));
    }
}

TEST(Save, BlocksThatWouldNotLoadBackAreRefused) {
    LoadedFile file;
    file.tail = u".RVX";
    SavePlan plan;
    // A 14-byte date loads from a file with bare LF line ends but not once written with CR LF.
    file.values.date = std::string(14, '9');
    EXPECT_EQ(PlanSave(file, u"P", u"1.5", &plan), SaveRefusal::kDateTooLong);
    file.values.date = std::string(13, '9');
    EXPECT_EQ(PlanSave(file, u"P", u"1.5", &plan), SaveRefusal::kNone);
    // A text that ends at byte 136 would have its height digits overwritten by the
    // millimetre field; one that ends further on keeps the height line whole.
    file.values.date.clear();
    file.values.model = "Model:" + std::string(54, 'M');  // "1.500" at 129-133
    EXPECT_EQ(PlanSave(file, u"P", u"1.5", &plan), SaveRefusal::kHeaderTooLong);
    file.values.model = "Model:" + std::string(70, 'M');
    ASSERT_EQ(PlanSave(file, u"P", u"1.5", &plan), SaveRefusal::kNone);
    const LoadResult back = LoadRawHeaderFromBytes(plan.block.data(), plan.block.size());
    EXPECT_EQ(back.values.antHeight, 1.5f);
    EXPECT_EQ(MillimetresInBlock(plan.block.data()), 1500);
}
