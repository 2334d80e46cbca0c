// Hostile files and files changed behind the program's back, through the real RVXTOOL.exe:
// each case ends in its message, and nothing is written where nothing should be.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "driver.h"
#include "messages.h"

namespace e2e {
namespace {

using BadInputTest = DialogTest;

std::u16string U16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

// The save fails for a file deleted, made read-only, or held open by another process after the
// load: the message names the file, and nothing is created, written or renamed.
TEST_F(BadInputTest, FileChangedBetweenLoadAndSaveIsReportedAndNothingIsWritten) {
    const rawgen::Bytes original = rawgen::StandardFile("1.5");
    const char* const changes[] = {"deleted", "read-only", "held exclusively",
                                   "held without leave to rename"};
    for (int change = 0; change < 4; ++change) {
        SCOPED_TRACE(changes[change]);
        const std::wstring path = MakeFile(u"ABCD0861.RVX", original);
        Program rvx(Quoted(path));
        HANDLE held = INVALID_HANDLE_VALUE;
        if (change == 0) {
            ASSERT_TRUE(DeleteFileW(path.c_str()));
        } else if (change == 1) {
            ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
        } else {
            held = CreateFileW(path.c_str(), GENERIC_READ | (change == 2 ? GENERIC_WRITE : 0),
                               change == 2 ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        rvx.EditAndSave(L"EFGH", L"1.7");
        const Popup box = rvx.TakePopup();
        if (held != INVALID_HANDLE_VALUE) {
            CloseHandle(held);
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_NE(box.text.find(path), std::wstring::npos) << Utf8(box.text);
        EXPECT_TRUE(box.hasIcon);
        EXPECT_EQ(rvx.Text(IDC_PATH), path);
        rvx.Close();
        EXPECT_FALSE(Exists(u"EFGH0861.RVX"));
        if (Exists(u"ABCD0861.RVX")) {
            EXPECT_EQ(Read(u"ABCD0861.RVX"), original);
            DeleteFileW(path.c_str());
        }
    }
}

// A start on a file that cannot load ends in its message before the dialog, and save is refused.
TEST_F(BadInputTest, FilesThatCannotLoadEndInTheirMessageBeforeTheDialog) {
    const std::string oneLine = "ver 2.0 ReceiverID:A1B2C3 Date:2026-03-27 AntHigh:1.5 ";
    const struct {
        const char* what;
        const char16_t* name;
        rawgen::Bytes bytes;
        const char16_t* message;
    } cases[] = {
        {"missing", u"NONE0861.RVX", "", rawfile::kMsgOpenFailed},
        {"empty", u"EMPT0861.RVX", "", rawfile::kMsgNoVersion},
        {"all zero bytes", u"ZERO0861.RVX", rawgen::Bytes(64 * 1024, '\0'), rawfile::kMsgNoVersion},
        {"one 159-byte line without LF", u"LINE0861.RVX",
         oneLine + std::string(159 - oneLine.size(), 'x'), rawfile::kMsgNoReceiverId},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool missing = c.message == rawfile::kMsgOpenFailed;
        const std::wstring path = missing ? PathOf(c.name) : MakeFile(c.name, c.bytes);
        Program rvx(Quoted(path), ProgramPath(), L"", false);
        const Popup box = rvx.TakePopup();
        EXPECT_EQ(box.text, W(c.message));
        EXPECT_TRUE(box.hasIcon);
        rvx.WaitForDialog();
        EXPECT_EQ(rvx.Text(IDC_PATH), L"");
        rvx.Click(IDC_SAVE);
        EXPECT_EQ(rvx.TakePopup().text, W(rawfile::kMsgImportFirst));
        rvx.Close();
        EXPECT_EQ(Exists(c.name), !missing);
        if (!missing) {
            EXPECT_EQ(Read(c.name), c.bytes);
        }
    }
}

// A file of several hundred MiB without a "Model:" line, so that the load reads it all: it
// loads, and the save rewrites its header only.
TEST_F(BadInputTest, FileOfSeveralHundredMegabytesLoadsAndSavesItsHeaderOnly) {
    constexpr int kPieces = 300;
    const rawgen::Bytes header = HeaderWithout(4);
    const rawgen::Bytes piece = rawgen::ReceiverData(1 << 20, 11);
    {
        std::ofstream out(std::filesystem::path(dir_.Path(u"HUGE0861.RVX")), std::ios::binary);
        out << header;
        for (int i = 0; i < kPieces; ++i) {
            out << piece;
        }
        ASSERT_TRUE(out.good());
    }
    Program rvx(Quoted(PathOf(u"HUGE0861.RVX")));
    EXPECT_EQ(rvx.Text(IDC_ANT_HEIGHT), L"1.500");
    rvx.EditAndSave(L"GIANT", L"2.5");
    rvx.ExpectNoPopup();
    rvx.Close();
    EXPECT_FALSE(Exists(u"HUGE0861.RVX"));
    std::ifstream in(std::filesystem::path(dir_.Path(u"GIANT0861.RVX")), std::ios::binary);
    std::string chunk(160, '\0');
    ASSERT_TRUE(in.read(&chunk[0], 160));
    EXPECT_NE(chunk.find("AntHigh:2.500\r\n"), std::string::npos);
    chunk.resize(piece.size());
    for (int i = 0; i < kPieces; ++i) {
        ASSERT_TRUE(in.read(&chunk[0], static_cast<std::streamsize>(chunk.size())) &&
                    chunk == piece)
            << "receiver data changed in MiB " << i;
    }
    EXPECT_EQ(in.peek(), std::ifstream::traits_type::eof());
}

// A folder in which nothing can be renamed (scripts set RVX_LOCKED_FOLDER to one holding a copy
// of the sample raw file): the rename fails after the header was written, the message names the
// file, and the file keeps its name with the new header and its data.
TEST(ReadOnlyFolderTest, RenameRefusedByTheFolderKeepsTheFileUnderItsName) {
    const char* folder = std::getenv("RVX_LOCKED_FOLDER");
    if (folder == nullptr) {
        GTEST_SKIP() << "no locked folder was prepared";
    }
    const std::wstring path = WindowsPathOf(std::string(folder) + "/ABCD0861.RVX");
    const rawgen::Bytes original = rawgen::ReadFile(U16(path));
    ASSERT_GT(original.size(), 160u);
    Program rvx(Quoted(path));
    rvx.EditAndSave(L"EFGH", L"1.8");
    const Popup box = rvx.TakePopup();
    EXPECT_NE(box.text.find(path), std::wstring::npos) << Utf8(box.text);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(rvx.Text(IDC_PATH), path);
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
    const rawgen::Bytes standard = rawgen::StandardFile("1.5");
    rawgen::WriteFile(U16(WindowsPathOf(root + "SHRT0861.RVX")), shortFile);
    rawgen::WriteFile(U16(WindowsPathOf(root + "ABCD0861.RVX")), standard);
    {
        // Fill every byte that is left.
        std::ofstream fill(std::filesystem::path(WindowsPathOf(root + "fill")), std::ios::binary);
        const std::string block(4096, 'f');
        while (fill.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }
    ULARGE_INTEGER freeBytes{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(WindowsPathOf(root).c_str(), &freeBytes, nullptr, nullptr));
    ASSERT_LT(freeBytes.QuadPart, 4096u);

    for (const rawgen::Bytes* before : {&shortFile, &standard}) {
        const char* name = before == &shortFile ? "SHRT0861.RVX" : "ABCD0861.RVX";
        SCOPED_TRACE(name);
        Program rvx(Quoted(WindowsPathOf(root + name)));
        rvx.EditAndSave(L"FULL", L"2.25");
        rvx.ExpectNoPopup();
        rvx.Close();
        const std::wstring saved = WindowsPathOf(root + "FULL0861.RVX");
        const rawgen::Bytes after = rawgen::ReadFile(U16(saved));
        ASSERT_EQ(after.size(), std::max<std::size_t>(before->size(), 160));
        EXPECT_NE(after.substr(0, 130).find("AntHigh:2.250\r\n"), std::string::npos);
        if (before->size() > 160) {
            EXPECT_EQ(after.substr(160), before->substr(160));
        }
        DeleteFileW(saved.c_str());
    }
}

}  // namespace
}  // namespace e2e
