// Hostile files and files changed behind the program's back, through the real RVXTOOL.exe:
// each case ends in its message, and nothing is written where nothing should be.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "e2e_files.h"
#include "messages.h"

namespace e2e {
namespace {

constexpr int kPointName = 1000;
constexpr int kSave = 1002;
constexpr int kAntHeight = 1003;
constexpr int kPath = 1005;

using BadInputTest = DialogTest;

// Starts the program on `path`, changes the fields and presses save.
void EditAndSave(Program* rvx, const wchar_t* pointName, const wchar_t* height) {
    rvx->SetText(kPointName, pointName);
    rvx->SetText(kAntHeight, height);
    rvx->Click(kSave);
}

// The open of the save fails for a file deleted, made read-only or held without sharing by
// another process after the load: the message names the file, and nothing is created, written
// or renamed.
TEST_F(BadInputTest, FileChangedBetweenLoadAndSaveIsReportedAndNothingIsWritten) {
    const rawgen::Bytes original = StandardRawFile("1.5");
    struct Change {
        const char* what;
        std::function<void(const std::wstring&)> make;
        std::function<void(const std::wstring&)> undo;
        bool fileRemains;
    };
    HANDLE held = INVALID_HANDLE_VALUE;
    const Change changes[] = {
        {"deleted", [](const std::wstring& p) { ASSERT_TRUE(DeleteFileW(p.c_str())); },
         [](const std::wstring&) {}, false},
        {"read-only",
         [](const std::wstring& p) {
             ASSERT_TRUE(SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY));
         },
         [](const std::wstring& p) { SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL); }, true},
        {"held exclusively",
         [&held](const std::wstring& p) {
             held = CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
             ASSERT_NE(held, INVALID_HANDLE_VALUE);
         },
         [&held](const std::wstring&) { CloseHandle(held); }, true},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const std::wstring path = MakeFile(u"ABCD0861.RVX", original);
        Program rvx(Quoted(path));
        change.make(path);
        EditAndSave(&rvx, L"EFGH", L"1.7");
        const Popup box = rvx.TakePopup();
        change.undo(path);
        EXPECT_NE(box.text.find(path), std::wstring::npos) << Utf8(box.text);
        EXPECT_TRUE(box.hasIcon);
        EXPECT_EQ(rvx.Text(kPath), path);
        rvx.Close();
        EXPECT_FALSE(Exists(u"EFGH0861.RVX"));
        EXPECT_EQ(Exists(u"ABCD0861.RVX"), change.fileRemains);
        if (change.fileRemains) {
            EXPECT_EQ(Read(u"ABCD0861.RVX"), original);
            DeleteFileW(path.c_str());
        }
    }
}

// Files that are not raw files end in the message of the first key they lack, before the dialog.
TEST_F(BadInputTest, FilesWithoutAHeaderEndInTheirLoadMessage) {
    struct Case {
        const char* what;
        rawgen::Bytes bytes;
        const char16_t* message;
    };
    const std::string oneLine = "ver 2.0 ReceiverID:A1B2C3 Date:2026-03-27 AntHigh:1.5 ";
    const Case cases[] = {
        {"all zero bytes", rawgen::Bytes(64 * 1024, '\0'), rawfile::kMsgNoVersion},
        {"one 159-byte line without LF", oneLine + std::string(159 - oneLine.size(), 'x'),
         rawfile::kMsgNoReceiverId},
        {"empty", rawgen::Bytes(), rawfile::kMsgNoVersion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring path = MakeFile(u"ODD_0861.RVX", c.bytes);
        Program rvx(Quoted(path), ProgramPath(), L"", StartWait::kNothing);
        const Popup box = rvx.TakePopup();
        EXPECT_EQ(box.text, W(c.message));
        EXPECT_TRUE(box.hasIcon);
        rvx.WaitForDialog();
        rvx.Click(kSave);
        EXPECT_EQ(rvx.TakePopup().text, W(rawfile::kMsgImportFirst));
        rvx.Close();
        EXPECT_EQ(Read(u"ODD_0861.RVX"), c.bytes);
    }
}

// A header shorter than the block, with LF line ends and no final LF: it loads, and the save
// grows the file to exactly 160 bytes.
TEST_F(BadInputTest, ShortFileGrowsToTheBlock) {
    const rawgen::Bytes bytes = "ver 2.0\nReceiverID:A1B2C3\nDate:2026-03-27\nAntHigh:1.5";
    const std::wstring path = MakeFile(u"SHRT0861.RVX", bytes);
    Program rvx(Quoted(path));
    EXPECT_EQ(rvx.Text(kAntHeight), L"1.500");
    EditAndSave(&rvx, L"SHRT", L"1.25");
    rvx.ExpectNoPopup();
    const rawgen::Bytes saved = Read(u"SHRT0861.RVX");
    ASSERT_EQ(saved.size(), 160u);
    const std::string text =
        "VORTALIX COLLECTED DATA FILE\r\nver 2.0\r\nReceiverID:A1B2C3\r\n"
        "Date:2026-03-27\r\n\r\nAntHigh:1.250\r\n";
    EXPECT_EQ(saved.substr(0, text.size() + 1), text + '\0');
    EXPECT_EQ(saved.substr(130, 4), std::string("\xE2\x04\0\0", 4));
}

// Writes a raw file of `pieces` MiB without a "Model:" line, so that the load reads it all.
class BigFile {
public:
    BigFile(const std::wstring& path, int pieces) : path_(path), pieces_(pieces) {
        std::vector<std::string> lines = rawgen::StandardLines();
        lines.erase(lines.begin() + 4);
        header_ = rawgen::MakeHeader(lines);
        piece_ = rawgen::ReceiverData(1 << 20, 11);
        std::ofstream out(std::filesystem::path(path_), std::ios::binary);
        out.write(header_.data(), static_cast<std::streamsize>(header_.size()));
        for (int i = 0; i < pieces_; ++i) {
            out.write(piece_.data(), static_cast<std::streamsize>(piece_.size()));
        }
        EXPECT_TRUE(out.good());
    }

    // True when everything after byte 159 of the file at `path` is as written.
    bool DataUnchanged(const std::wstring& path) const {
        std::ifstream in(std::filesystem::path(path), std::ios::binary);
        std::string chunk(piece_.size(), '\0');
        in.seekg(static_cast<std::streamoff>(header_.size()));
        for (int i = 0; i < pieces_; ++i) {
            if (!in.read(&chunk[0], static_cast<std::streamsize>(chunk.size())) ||
                chunk != piece_) {
                return false;
            }
        }
        return in.peek() == std::ifstream::traits_type::eof();
    }

private:
    std::wstring path_;
    int pieces_;
    rawgen::Bytes header_;
    rawgen::Bytes piece_;
};

TEST_F(BadInputTest, FileOfSeveralHundredMegabytesLoadsAndSavesItsHeaderOnly) {
    const std::wstring path = PathOf(u"HUGE0861.RVX");
    const BigFile big(path, 300);
    Program rvx(Quoted(path));
    EXPECT_EQ(rvx.Text(kAntHeight), L"1.500");
    EditAndSave(&rvx, L"GIANT", L"2.5");
    rvx.ExpectNoPopup();
    rvx.Close();
    ASSERT_TRUE(Exists(u"GIANT0861.RVX"));
    EXPECT_FALSE(Exists(u"HUGE0861.RVX"));
    const rawgen::Bytes head = rawgen::ReadFile(U16(PathOf(u"GIANT0861.RVX"))).substr(0, 160);
    EXPECT_NE(head.find("AntHigh:2.500\r\n"), std::string::npos);
    EXPECT_TRUE(big.DataUnchanged(PathOf(u"GIANT0861.RVX")));
}

// A folder in which nothing can be renamed (scripts set RVX_LOCKED_FOLDER to one holding a copy
// of the sample raw file): the rename fails after the header was written, the message names both
// paths, and the file keeps its name with the new header and its data.
TEST(ReadOnlyFolderTest, RenameRefusedByTheFolderKeepsTheFileUnderItsName) {
    const char* folder = std::getenv("RVX_LOCKED_FOLDER");
    if (folder == nullptr) {
        GTEST_SKIP() << "no locked folder was prepared";
    }
    const std::wstring path = WindowsPathOf(std::string(folder) + "/ABCD0861.RVX");
    const rawgen::Bytes original = rawgen::ReadFile(U16(path));
    ASSERT_GT(original.size(), 160u);
    Program rvx(Quoted(path));
    EditAndSave(&rvx, L"EFGH", L"1.8");
    const Popup box = rvx.TakePopup();
    EXPECT_NE(box.text.find(path), std::wstring::npos) << Utf8(box.text);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(rvx.Text(kPath), path);
    rvx.Close();
    const rawgen::Bytes after = rawgen::ReadFile(U16(path));
    ASSERT_EQ(after.size(), original.size());
    EXPECT_NE(after.substr(0, 130).find("AntHigh:1.800\r\n"), std::string::npos);
    EXPECT_EQ(after.substr(160), original.substr(160));
}

// A file system with no room left (scripts set RVX_FULL_FOLDER to a small one mounted for the
// test). A save replaces bytes the file already has, and a file shorter than the block grows
// inside the space it already holds, so both saves succeed and keep the data.
TEST(FullDiskTest, SavesOnAFullFileSystemSucceedAndKeepTheData) {
    const char* folder = std::getenv("RVX_FULL_FOLDER");
    if (folder == nullptr) {
        GTEST_SKIP() << "no small file system was mounted";
    }
    const std::string root = std::string(folder) + "/";
    const rawgen::Bytes shortFile = "ver 2.0\nReceiverID:A1B2C3\nDate:2026-03-27\nAntHigh:1.5\n";
    const rawgen::Bytes standard = StandardRawFile("1.5");
    rawgen::WriteFile(U16(WindowsPathOf(root + "SHRT0861.RVX")), shortFile);
    rawgen::WriteFile(U16(WindowsPathOf(root + "ABCD0861.RVX")), standard);
    {
        // Fill every byte that is left.
        std::ofstream fill(std::filesystem::path(WindowsPathOf(root + "fill")), std::ios::binary);
        const std::string block(4096, 'f');
        while (fill.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }
    const ULARGE_INTEGER zero{};
    ULARGE_INTEGER freeBytes = zero;
    ASSERT_TRUE(GetDiskFreeSpaceExW(WindowsPathOf(root).c_str(), &freeBytes, nullptr, nullptr));
    ASSERT_LT(freeBytes.QuadPart, 4096u);

    for (const char* name : {"SHRT0861.RVX", "ABCD0861.RVX"}) {
        SCOPED_TRACE(name);
        Program rvx(Quoted(WindowsPathOf(root + name)));
        EditAndSave(&rvx, L"FULL", L"2.25");
        rvx.ExpectNoPopup();
        rvx.Close();
        const std::wstring saved = WindowsPathOf(root + "FULL0861.RVX");
        const rawgen::Bytes after = rawgen::ReadFile(U16(saved));
        const rawgen::Bytes& before = name[0] == 'S' ? shortFile : standard;
        ASSERT_EQ(after.size(), std::max<std::size_t>(before.size(), 160));
        EXPECT_NE(after.substr(0, 130).find("AntHigh:2.250\r\n"), std::string::npos);
        if (before.size() > 160) {
            EXPECT_EQ(after.substr(160), before.substr(160));
        }
        DeleteFileW(saved.c_str());
    }
}

}  // namespace
}  // namespace e2e
