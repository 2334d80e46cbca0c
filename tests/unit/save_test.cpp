// Saving through the editor: the height's normalisation, every refusal with nothing changed on
// disk, the renames, and failures that a second save mends. (That the bytes after 159 never
// change, for any values, is the save fuzz target's to check.)
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "editing.h"
#include "file_identity.h"
#include "raw_gen.h"
#include "text.h"

using namespace rawfile;

namespace {

// Holds a file the way another program would: exclusively on Windows, with an exclusive lock
// on POSIX.
struct OtherOpener {
#ifdef _WIN32
    explicit OtherOpener(const std::u16string& path)
        : handle(CreateFileW(ToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                             nullptr)) {}
    ~OtherOpener() {
        CloseHandle(handle);
    }
    HANDLE handle;
#else
    explicit OtherOpener(const std::u16string& path)
        : fd(open(Utf16ToUtf8(path).c_str(), O_RDONLY)) {
        flock(fd, LOCK_EX);
    }
    ~OtherOpener() {
        close(fd);
    }
    int fd;
#endif
};

// Sets or clears the read-only attribute (on POSIX: every write permission bit).
void SetReadOnly(const std::u16string& path, bool readOnly) {
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesW(ToWide(path).c_str(),
                                   readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL));
#else
    ASSERT_EQ(chmod(Utf16ToUtf8(path).c_str(), readOnly ? 0444 : 0644), 0);
#endif
}

std::int32_t FieldOf(const rawgen::Bytes& file) {
    return MillimetresInBlock(reinterpret_cast<const std::uint8_t*>(file.data()));
}

class SaveTest : public ::testing::Test {
protected:
    // Writes `bytes` as `name` and loads it.
    void Open(const std::u16string& name, const rawgen::Bytes& bytes = rawgen::StandardFile()) {
        original_ = bytes;
        rawgen::WriteFile(dir_.Path(name), bytes);
        ASSERT_EQ(editor_.Load(dir_.Path(name)), LoadError::kNone);
    }
    rawgen::Bytes Read(const std::u16string& name) { return rawgen::ReadFile(dir_.Path(name)); }

    rawgen::TempDir dir_;
    RawFileEditor editor_;
    rawgen::Bytes original_;
};

}  // namespace

TEST(Normalise, HeightsComeToThreeDecimalsOrAreRefused) {
    const struct {
        const char16_t* typed;
        SaveRefusal refusal;
        const char* text;
        std::int32_t mm;
    } cases[] = {
        {u"2", SaveRefusal::kNone, "2.000", 2000},
        {u"1.2345", SaveRefusal::kNone, "1.235", 1235},
        {u"0.0004", SaveRefusal::kNone, "0.000", 0},
        {u"-0.0004", SaveRefusal::kNone, "0.000", 0},  // never "-0.000"
        {u" 1.50000000000000 ", SaveRefusal::kNone, "1.500", 1500},
        {u"-1.5", SaveRefusal::kNone, "-1.500", -1500},  // half away from zero, not -1499
        {u"-2147483", SaveRefusal::kNone, "-2147483.000", -2147483000},
        {u"1,5", SaveRefusal::kHeightNotNumber, "", 0},
        {u"2147484", SaveRefusal::kHeightOutOfRange, "", 0},
        {u"10000000000000", SaveRefusal::kHeightOutOfRange, "", 0},
    };
    for (const auto& c : cases) {
        NormalisedHeight h;
        EXPECT_EQ(NormaliseHeight(c.typed, &h), c.refusal) << Utf16ToUtf8(c.typed);
        EXPECT_EQ(h.text, c.text);
        EXPECT_EQ(h.millimetres, c.mm);
    }
}

// Heights a crew most likely wrote in millimetres, and the metres they stand for.
TEST(Normalise, MillimetresWrittenAsMetresAreCaught) {
    const struct {
        const char16_t* typed;
        std::optional<double> max;
        bool caught;
        const char* metres;
    } cases[] = {
        {u"1600", std::nullopt, true, "1.600"},    {u"100", std::nullopt, true, "0.100"},
        {u"99.9996", std::nullopt, true, "0.100"},  // saved as 100.000
        {u"99.999", std::nullopt, false, "0.100"}, {u"-1602.4", std::nullopt, true, "-1.602"},
        {u"1600", 2000.0, false, "1.600"},         {u"2000.0004", 2000.0, false, "2.000"},
        {u"2000.001", 2000.0, true, "2.000"},      {u"1.5", 1.0, true, "0.002"},
    };
    for (const auto& c : cases) {
        NormalisedHeight h;
        ASSERT_EQ(NormaliseHeight(c.typed, &h), SaveRefusal::kNone) << Utf16ToUtf8(c.typed);
        EXPECT_EQ(LooksLikeMillimetres(h, c.max), c.caught) << Utf16ToUtf8(c.typed);
        EXPECT_EQ(MetresFromMillimetres(h), c.metres) << Utf16ToUtf8(c.typed);
    }
}

TEST_F(SaveTest, RefusalsChangeNothingOnDisk) {
    rawgen::WriteFile(dir_.Path(u"TAKEN0861.RVX"), "other");
    Open(u"ABCD0861.RVX");
    const struct {
        const char16_t* point;
        const char16_t* height;
        SaveRefusal refusal;
    } cases[] = {
        {u"A/B", u"1.6", SaveRefusal::kBadPointName},
        {u"WXYZ", u"abc", SaveRefusal::kHeightNotNumber},
        {u"WXYZ", u"3000000", SaveRefusal::kHeightOutOfRange},
        {u"TAKEN", u"1.6", SaveRefusal::kTargetExists},
        {u"nul.", u"1.6", SaveRefusal::kReservedName},  // not a file that exists
    };
    for (const auto& c : cases) {
        const SaveOutcome out = editor_.Save(c.point, c.height);
        EXPECT_EQ(out.status, SaveStatus::kRefused);
        EXPECT_EQ(out.refusal, c.refusal);
        EXPECT_EQ(Read(u"ABCD0861.RVX"), original_);
        EXPECT_EQ(Read(u"TAKEN0861.RVX"), "other");
    }
    EXPECT_EQ(editor_.Save(u"TAKEN", u"1.6").plan.newPath, dir_.Path(u"TAKEN0861.RVX"));

    // A model line too long for the block to hold it with the rest.
    Open(u"LONG0861.RVX", rawgen::MakeHeader({"ver 2", "ReceiverID:1", "Date:1",
                                              "Model:" + std::string(120, 'M'), "AntHigh:1"}));
    EXPECT_EQ(editor_.Save(u"LONG", u"2").refusal, SaveRefusal::kHeaderTooLong);
    EXPECT_EQ(Read(u"LONG0861.RVX"), original_);
}

TEST_F(SaveTest, SavesRenameAndMoveTheBaseline) {
    Open(u"ABCD0861.RVX", rawgen::StandardFile("1.500", 10000));
    SaveOutcome out = editor_.Save(u"LONGNAME12", u"1.6");
    ASSERT_EQ(out.status, SaveStatus::kSaved);
    EXPECT_FALSE(rawgen::FileExists(dir_.Path(u"ABCD0861.RVX")));
    EXPECT_EQ(editor_.Path(), dir_.Path(u"LONGNAME0861.RVX"));
    EXPECT_EQ(editor_.PointName(), u"LONGNAME");
    EXPECT_EQ(editor_.HeightText(), u"1.600");
    const rawgen::Bytes saved = Read(u"LONGNAME0861.RVX");
    EXPECT_EQ(saved.substr(0, 160),
              rawgen::StandardFile("1.600").substr(0, 160).replace(130, 2, "\x40\x06"));
    EXPECT_EQ(saved.substr(160), original_.substr(160));
    // The new values are the baseline now; the next save works on the new name.
    EXPECT_EQ(editor_.Save(u"LONGNAME", u"1.600").status, SaveStatus::kUnchanged);
    ASSERT_EQ(editor_.Save(u"", u"2").status, SaveStatus::kSaved);
    EXPECT_EQ(editor_.Path(), dir_.Path(u"0861.RVX"));
    EXPECT_EQ(FieldOf(Read(u"0861.RVX")), 2000);

    // A short name gains the standard tail, and a short file grows to a whole block.
    Open(u"A.RV", "ver 1\nReceiverID:1\nDate:2\nAntHigh:3\n");
    ASSERT_EQ(editor_.Save(u"P", u"3.000").status, SaveStatus::kSaved);
    EXPECT_EQ(Read(u"P.RVX").size(), 160u);
}

// A save that fails at the disk keeps the baseline of the file as it stands, so pressing save
// again with the same fields tries again rather than reporting "unchanged". A read-only file is
// refused even where the user could write it anyway (root on POSIX).
TEST_F(SaveTest, AFailedSaveIsTriedAgainBySavingAgain) {
    Open(u"ABCD0861.RVX");
    SetReadOnly(dir_.Path(u"ABCD0861.RVX"), true);
    const SaveOutcome readOnly = editor_.Save(u"NEW", u"1.6");
    SetReadOnly(dir_.Path(u"ABCD0861.RVX"), false);
    EXPECT_EQ(readOnly.status, SaveStatus::kWriteFailed);
    EXPECT_EQ(readOnly.error.op, FileOp::kOpen);
    {
        OtherOpener other(dir_.Path(u"ABCD0861.RVX"));
        const SaveOutcome out = editor_.Save(u"NEW", u"1.6");
        EXPECT_EQ(out.status, SaveStatus::kWriteFailed);
        EXPECT_EQ(out.error.path, dir_.Path(u"ABCD0861.RVX"));
        EXPECT_FALSE(out.error.reason.empty());
    }
    EXPECT_EQ(Read(u"ABCD0861.RVX"), original_);
    EXPECT_FALSE(rawgen::FileExists(dir_.Path(u"NEW0861.RVX")));
    EXPECT_EQ(editor_.PointName(), u"ABCD");
    ASSERT_EQ(editor_.Save(u"NEW", u"1.6").status, SaveStatus::kSaved);
    EXPECT_EQ(FieldOf(Read(u"NEW0861.RVX")), 1600);

    // A file deleted since it was loaded: the open fails and nothing appears.
    std::remove(Utf16ToUtf8(editor_.Path()).c_str());
    const SaveOutcome gone = editor_.Save(u"GONE", u"1");
    EXPECT_EQ(gone.status, SaveStatus::kWriteFailed);
    EXPECT_EQ(gone.error.op, FileOp::kOpen);
    EXPECT_FALSE(rawgen::FileExists(dir_.Path(u"GONE0861.RVX")));
}

// Only a regular file is held for a save, and a rename never replaces another file.
TEST(HeldFile, OnlyRegularFilesOpenAndRenamesNeverReplace) {
#ifdef _WIN32
    const std::u16string device = u"NUL";
#else
    const std::u16string device = u"/dev/null";
#endif
    EXPECT_EQ(LoadRawHeader(device).error, LoadError::kOpenFailed);
    std::string bytes;
    bool tooLarge = false;
    std::u16string reason;
    EXPECT_FALSE(ReadFileUpTo(device, 100, &bytes, &tooLarge, &reason));
    HeldFile held;
    FileError error;
    EXPECT_FALSE(held.Open(device, &error));
    EXPECT_EQ(error.op, FileOp::kOpen);
    rawgen::TempDir dir;
    rawgen::WriteFile(dir.Path(u"a"), "A");
    rawgen::WriteFile(dir.Path(u"b"), "B");
    ASSERT_TRUE(held.Open(dir.Path(u"a"), &error));
    EXPECT_FALSE(held.Rename(dir.Path(u"b"), &error));
    EXPECT_EQ(error.op, FileOp::kRename);
    held.Close();
    EXPECT_EQ(rawgen::ReadFile(dir.Path(u"a")), "A");
    EXPECT_EQ(rawgen::ReadFile(dir.Path(u"b")), "B");
}

#ifndef _WIN32
// A name its folder's listing shows as a regular file is opened without a look at the path
// first; should it have become a symbolic link since, it is looked at as any path is: a FIFO
// behind it is refused at once, a raw file behind it opens.
TEST(HeldFile, ANameListedAsAFileThatBecameALinkIsLookedAtAgain) {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"A.RVX");
    const std::string name = Utf16ToUtf8(path);
    rawgen::WriteFile(path, rawgen::StandardFile());
    rawgen::WriteFile(dir.Path(u"B.RVX"), rawgen::StandardFile());
    ASSERT_EQ(mkdir(Utf16ToUtf8(dir.Path(u"F.RVX")).c_str(), 0755), 0);
    FolderListings listings;
    EXPECT_EQ(KindOf(path, &listings), EntryKind::kFile);
    EXPECT_EQ(KindOf(dir.Path(u"F.RVX"), &listings), EntryKind::kFolder);
    ASSERT_EQ(mkfifo(Utf16ToUtf8(dir.Path(u"fifo")).c_str(), 0644), 0);
    ASSERT_EQ(unlink(name.c_str()), 0);
    ASSERT_EQ(symlink("fifo", name.c_str()), 0);
    HeldFile held;
    FileError error;
    EXPECT_FALSE(held.Open(path, &error, true, &listings));
    EXPECT_EQ(error.op, FileOp::kOpen);
    ASSERT_EQ(unlink(name.c_str()), 0);
    ASSERT_EQ(symlink("B.RVX", name.c_str()), 0);
    ASSERT_TRUE(held.Open(path, &error, true, &listings));
    FileId opened;
    FileKey b;
    ASSERT_TRUE(held.Id(&opened, &error));
    ASSERT_TRUE(KeyOf(dir.Path(u"B.RVX"), &b));
    EXPECT_EQ(opened, b);
}

// A folder's listing decides only what it truly shows. A name that is not UTF-8 reads as U+FFFD
// and must not stand for the entry whose name is U+FFFD; a folder that cannot be listed (no read
// right, but a search right) shows nothing, which must not make every new name free.
TEST(FolderListings, AListingDecidesOnlyForNamesItShowsExactly) {
    rawgen::TempDir dir;
    const std::string folder = Utf16ToUtf8(dir.Folder());
    const std::u16string file = dir.Path(u"\uFFFD0861.RVX");  // bytes EF BF BD
    rawgen::WriteFile(file, rawgen::StandardFile());
    const std::u16string device = dir.Path(u"\uFFFD0862.RVX");
    // A character device of a number no driver has: opening it fails with ENXIO.
    const bool haveDevice =
        mknod(Utf16ToUtf8(device).c_str(), S_IFCHR | 0666, makedev(240, 0)) == 0;
    for (int i = 0x80; i < 0xA0; ++i) {  // lone continuation bytes: not UTF-8
        ASSERT_EQ(mkdir((folder + char(i) + "0861.RVX").c_str(), 0755), 0);
        const int fd = open((folder + char(i) + "0862.RVX").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    FolderListings listings;
    EXPECT_EQ(KindOf(file, &listings), EntryKind::kFile);
    if (haveDevice) {
        HeldFile held;
        FileError error;
        EXPECT_FALSE(held.Open(device, &error, true, &listings));
        EXPECT_NE(error.code, std::uint32_t{ENXIO}) << "the device was opened";
    }

    // Searchable, not readable: lstat finds B, opendir fails.
    rawgen::TempDir shut;
    const std::u16string from = shut.Path(u"A0861.RVX");
    rawgen::WriteFile(from, "A");
    rawgen::WriteFile(shut.Path(u"B0861.RVX"), "B");
    const std::string shutName = Utf16ToUtf8(shut.Folder());
    ASSERT_EQ(chmod(shutName.c_str(), 0333), 0);
    const uid_t root = geteuid();
    if (root == 0) {
        ASSERT_EQ(seteuid(65534), 0);  // root would list it anyway
    }
    FolderListings checks;
    checks.listingDecides = true;
    const TargetState state = CheckRenameTarget(from, shut.Path(u"B0861.RVX"), &checks);
    if (root == 0) {
        ASSERT_EQ(seteuid(root), 0);
    }
    chmod(shutName.c_str(), 0755);
    EXPECT_EQ(state, TargetState::kOther);
}
#endif

// A save works on the file as it is now: another file put in its place, or the same file with
// other first bytes (another program's save, a second copy of the editor), is refused with
// nothing written.
TEST_F(SaveTest, AFileChangedSinceItWasLoadedIsRefused) {
    Open(u"ABCD0861.RVX");
    const rawgen::Bytes other = rawgen::StandardFile("2.000", 100);
    rawgen::WriteFile(dir_.Path(u"B.tmp"), other);
    std::filesystem::remove(Utf16ToUtf8(dir_.Path(u"ABCD0861.RVX")));
    std::filesystem::rename(Utf16ToUtf8(dir_.Path(u"B.tmp")),
                            Utf16ToUtf8(dir_.Path(u"ABCD0861.RVX")));
    SaveOutcome out = editor_.Save(u"ABCD", u"1.62");
    EXPECT_EQ(out.status, SaveStatus::kRefused);
    EXPECT_EQ(out.refusal, SaveRefusal::kFileChanged);
    EXPECT_EQ(Read(u"ABCD0861.RVX"), other);

    // Two editors on one file: the second's rename would put back the height the first saved.
    Open(u"EFGH0861.RVX");
    RawFileEditor second;
    ASSERT_EQ(second.Load(dir_.Path(u"EFGH0861.RVX")), LoadError::kNone);
    ASSERT_EQ(editor_.Save(u"EFGH", u"1.7").status, SaveStatus::kSaved);
    const rawgen::Bytes first = Read(u"EFGH0861.RVX");
    out = second.Save(u"WXYZ", u"1.500");
    EXPECT_EQ(out.refusal, SaveRefusal::kFileChanged);
    EXPECT_EQ(Read(u"EFGH0861.RVX"), first);
    EXPECT_FALSE(rawgen::FileExists(dir_.Path(u"WXYZ0861.RVX")));
}

// Unchanged means no byte and no name would change: a height spelt otherwise is unchanged, a
// millimetre field that disagrees with the text is repaired by saving the same text, and a
// height-only save keeps the file's own name however long or short it is.
TEST_F(SaveTest, UnchangedIsJudgedByTheBytesAndKeptNamesStay) {
    Open(u"ABCD0861.RVX");  // its millimetre field is zero
    EXPECT_EQ(editor_.Check(u"ABCD", u"1.500").status, SaveStatus::kReady);
    ASSERT_EQ(editor_.Save(u"ABCD", u"1.500").status, SaveStatus::kSaved);
    EXPECT_EQ(FieldOf(Read(u"ABCD0861.RVX")), 1500);
    EXPECT_EQ(editor_.Save(u"ABCD", u"1.5").status, SaveStatus::kUnchanged);
    EXPECT_FALSE(editor_.FieldsDiffer(u"ABCD", u"1.5000"));
    EXPECT_TRUE(editor_.FieldsDiffer(u"ABCD", u"1.501"));
    // A height no save could write again is no edit while the fields show it as loaded.
    for (const char* height : {"3000000", "2147484", "1e999"}) {
        Open(u"HIGH0861.RVX", rawgen::StandardFile(height));
        EXPECT_FALSE(editor_.FieldsDiffer(u"HIGH", editor_.HeightText())) << height;
        EXPECT_TRUE(editor_.FieldsDiffer(u"HIGH", u"1.6")) << height;
    }

    rawgen::WriteFile(dir_.Path(u"STATIONABETA0861.RVX"), "neighbour");
    for (const std::u16string name : {u"STATIONALPHA0861.RVX", u"A.RV"}) {
        Open(name);
        const SaveOutcome out = editor_.Save(editor_.PointName(), u"1.6");
        ASSERT_EQ(out.status, SaveStatus::kSaved) << Utf16ToUtf8(name);
        EXPECT_EQ(editor_.Path(), dir_.Path(name));
        EXPECT_EQ(FieldOf(Read(name)), 1600);
    }
    EXPECT_EQ(Read(u"STATIONABETA0861.RVX"), "neighbour");
}

// A new name that differs from another file's only in letter case is taken, on any system;
// the file's own name in other letter case is not.
TEST_F(SaveTest, ANameTakenInOtherLetterCaseIsRefused) {
    rawgen::WriteFile(dir_.Path(u"EFGH0861.RVX"), "other");
    Open(u"ABCD0861.RVX");
    EXPECT_EQ(editor_.Save(u"efgh", u"1.6").refusal, SaveRefusal::kTargetExists);
    EXPECT_EQ(editor_.Check(u"abcd", u"1.6").status, SaveStatus::kReady);
}

// Only a point name the user changes must suit Windows; a file keeps its own name as it is.
TEST(PlanSave, OnlyANewPointNameMustSuitWindows) {
    LoadedFile file;
    file.tail = u".RVX";
    SavePlan plan;
    for (const std::u16string own : {u"A:B", u"a\nb", u"NUL"}) {
        file.pointName = own;
        file.path = own + u".RVX";
        EXPECT_EQ(PlanSave(file, own, u"1.6", &plan), SaveRefusal::kNone);
        EXPECT_EQ(plan.newPath, own + u".RVX");
    }
    EXPECT_EQ(PlanSave(file, u"A:C", u"1.6", &plan), SaveRefusal::kBadPointName);
    EXPECT_EQ(PlanSave(file, u"com1", u"1.6", &plan), SaveRefusal::kReservedName);
}

TEST(PlanSave, BlocksThatWouldNotLoadBackAreRefused) {
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
    EXPECT_EQ(LoadRawHeaderFromBytes(plan.block.data(), plan.block.size()).values.antHeight, 1.5f);
    EXPECT_EQ(MillimetresInBlock(plan.block.data()), 1500);
}

// A load through a hold reads what a load by path does, whatever the file's length against the
// read buffer and the header block, and a rehearsal through that hold judges as one of its own.
TEST(HeldFile, ALoadThroughAHoldReadsAsALoadByPath) {
    std::vector<std::string> noModel;
    for (const std::string& line : rawgen::StandardLines()) {
        if (line.rfind("Model:", 0) != 0) {
            noModel.push_back(line);
        }
    }
    const rawgen::Bytes noModelFile = rawgen::MakeHeader(noModel) + rawgen::ReceiverData(70000, 7);
    const struct {
        const char* what;
        rawgen::Bytes bytes;
    } cases[] = {
        {"standard", rawgen::StandardFile()},
        {"read to its end past one buffer", noModelFile},
        {"exactly one buffer", noModelFile.substr(0, 65536)},
        {"shorter than a block", rawgen::StandardFile().substr(0, 100)},
        {"empty", ""},
    };
    rawgen::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string path = dir.Path(u"ABCD0861.RVX");
        rawgen::WriteFile(path, c.bytes);
        const LoadResult byPath = LoadRawHeader(path);
        HeldFile held;
        FileError error;
        ASSERT_TRUE(held.Open(path, &error));
        const LoadResult through = LoadRawHeader(held);
        EXPECT_EQ(through.error, byPath.error);
        EXPECT_EQ(through.head, c.bytes.substr(0, 160));
        EXPECT_EQ(through.head, byPath.head);
        EXPECT_EQ(through.values.model, byPath.values.model);
        EXPECT_EQ(through.values.antHeight, byPath.values.antHeight);
        EXPECT_TRUE(through.id == byPath.id);
        if (through.error != LoadError::kNone) {
            continue;
        }
        RawFileEditor editor;
        ASSERT_EQ(editor.Load(held), LoadError::kNone);
        const SaveOutcome out = editor.Rehearse(u"WXYZ", u"1.7", nullptr, &held);
        EXPECT_EQ(out.status, SaveStatus::kReady);
        EXPECT_EQ(out.plan.newPath, dir.Path(u"WXYZ0861.RVX"));
        held.Close();
        EXPECT_EQ(editor.Save(u"WXYZ", u"1.7").status, SaveStatus::kSaved);
        std::filesystem::remove(Utf16ToUtf8(dir.Path(u"WXYZ0861.RVX")));
    }
}
