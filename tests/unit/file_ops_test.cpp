// File operations against the real system: a file held by another opener, a read-only file and
// renames that differ only in letter case.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "file_ops.h"
#include "raw_gen.h"
#include "save.h"

using namespace rawfile;

namespace {

// Holds a file the way another program would: exclusively on Windows, with an exclusive lock
// on POSIX.
class OtherOpener {
public:
    explicit OtherOpener(const std::u16string& path) {
#ifdef _WIN32
        handle_ = CreateFileW(std::wstring(path.begin(), path.end()).c_str(), GENERIC_READ, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(handle_, INVALID_HANDLE_VALUE);
#else
        fd_ = open(std::string(path.begin(), path.end()).c_str(), O_RDONLY);
        EXPECT_GE(fd_, 0);
        EXPECT_EQ(flock(fd_, LOCK_EX), 0);
#endif
    }
    ~OtherOpener() {
#ifdef _WIN32
        CloseHandle(handle_);
#else
        close(fd_);
#endif
    }

private:
#ifdef _WIN32
    HANDLE handle_;
#else
    int fd_;
#endif
};

SavePlan PlanFor(const std::u16string& folder, const std::u16string& point) {
    LoadedFile file;
    file.folder = folder;
    file.tail = u"0861.RVX";
    SavePlan plan;
    EXPECT_EQ(PlanSave(file, point, u"1.6", &plan), SaveRefusal::kNone);
    return plan;
}

}  // namespace

TEST(FileOps, FileHeldByAnotherProgramIsNeitherWrittenNorRenamed) {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"ABCD0861.RVX");
    const rawgen::Bytes original = rawgen::StandardFile();
    rawgen::WriteFile(path, original);
    SaveOutcome out;
    {
        OtherOpener other(path);
        out = CarryOutSave(path, PlanFor(dir.Folder(), u"NEW"));
    }
    EXPECT_EQ(out.status, SaveStatus::kWriteFailed);
    EXPECT_EQ(out.error.path, path);
    EXPECT_FALSE(out.error.reason.empty());
    EXPECT_EQ(rawgen::ReadFile(path), original);
    EXPECT_FALSE(rawgen::FileExists(dir.Path(u"NEW0861.RVX")));
}

TEST(FileOps, ReadOnlyFileIsNeitherWrittenNorRenamed) {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"ABCD0861.RVX");
    const rawgen::Bytes original = rawgen::StandardFile();
    rawgen::WriteFile(path, original);
    namespace fs = std::filesystem;
    fs::permissions(fs::path(path), fs::perms::all, fs::perm_options::remove);
    const SaveOutcome out = CarryOutSave(path, PlanFor(dir.Folder(), u"NEW"));
    fs::permissions(fs::path(path), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(out.status, SaveStatus::kWriteFailed);
    EXPECT_EQ(out.error.op, FileOp::kOpen);
    EXPECT_EQ(rawgen::ReadFile(path), original);
    EXPECT_FALSE(rawgen::FileExists(dir.Path(u"NEW0861.RVX")));
}

TEST(FileOps, RenameToOwnNameInOtherLetterCaseIsNotAnotherFile) {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"abcd0861.RVX");
    rawgen::WriteFile(path, rawgen::StandardFile());
    const std::u16string upper = dir.Path(u"ABCD0861.RVX");
    const TargetState state = CheckRenameTarget(path, upper);
    if (state == TargetState::kFree) {
        GTEST_SKIP() << "this file system tells letter case apart";
    }
    ASSERT_EQ(state, TargetState::kSameFile);
    const SaveOutcome out = CarryOutSave(path, PlanFor(dir.Folder(), u"ABCD"));
    EXPECT_EQ(out.status, SaveStatus::kSaved);
    EXPECT_TRUE(rawgen::FileExists(upper));
}
