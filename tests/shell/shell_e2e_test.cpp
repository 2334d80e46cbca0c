// The shipped program as the shell meets it, under Wine: copies of it in scratch folders register
// the file type at each start, a raw file opens from the shell, and the interface language comes
// from the profile value and the library beside the program only.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "driver.h"

namespace e2e {
namespace {

// The import button's text in each language.
const char kChinese[] = "导入RVX文件";
const char kEnglish[] = "Import RVX file";

// Copies the program (with the language library when `library`) into `folder`.
std::wstring InstallProgram(const std::wstring& folder, bool library) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : {L"RVXTOOL.exe", L"STATION.ico", L"LangDll.dll"}) {
        if (library || name[0] != L'L') {
            std::filesystem::copy_file(ProgramFolder() + name, folder + name);
        }
    }
    return folder + L"RVXTOOL.exe";
}

// The file type's values as registered for the program in `folder`.
std::vector<std::wstring> Expected(const std::wstring& folder) {
    return {L"RVXfile",
            L"RVX Document",
            folder + L"STATION.ico",
            L"RVXTOOL",
            L"\"" + folder + L"RVXTOOL.exe\" \"%1\"",
            L""};
}

// The ".RVX" value's raw bytes.
std::string RawTypeValue() {
    char raw[256] = {};
    LONG size = sizeof raw;
    RegQueryValueA(HKEY_CLASSES_ROOT, ".RVX", raw, &size);
    return std::string(raw, static_cast<std::size_t>(size));
}

class Shell : public ::testing::Test {
protected:
    void TearDown() override { DeleteProfile(); }
    rawgen::TempDir dir_;
};

// Each start registers the file type for the program where it is, even in a folder named outside
// the code pages, and the shell then opens a raw file in it.
TEST_F(Shell, StartsRegisterTheProgramWhereItIsAndTheShellOpensRawFiles) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".RVX");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"RVXfile");
    const std::wstring before = W(dir_.Folder()) + L"测量 Ölçüm\\";
    Program(L"", InstallProgram(before, false)).Close();
    EXPECT_EQ(RegisteredFileType(HKEY_CLASSES_ROOT), Expected(before));
    EXPECT_EQ(RawTypeValue(), std::string("RVXfile\0\0\0", 10));

    const std::wstring after = W(dir_.Folder()) + L"moved\\";
    ASSERT_TRUE(MoveFileW(before.substr(0, before.size() - 1).c_str(),
                          after.substr(0, after.size() - 1).c_str()));
    Program(L"", after + L"RVXTOOL.exe").Close();
    EXPECT_EQ(RegisteredFileType(HKEY_CLASSES_ROOT), Expected(after));

    const std::wstring file = W(dir_.Folder()) + L"ABCD0861.RVX";
    std::filesystem::copy_file(WindowsPathOf(RVX_SAMPLE_FILE), file);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    ASSERT_TRUE(ShellExecuteExW(&info) && info.hProcess != nullptr) << GetLastError();
    const HWND dialog = WaitForAnyWindow(L"#32770", L"RVXTOOL", kWaitMs);
    ASSERT_NE(dialog, nullptr) << "no dialog";
    EXPECT_EQ(TipText(dialog, IDC_PATH), file);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, kWaitMs), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
}

TEST_F(Shell, LanguageFollowsTheValueAndOnlyTheLibraryBesideTheProgram) {
    const std::wstring bare = InstallProgram(W(dir_.Folder()) + L"bare\\", false);
    const std::wstring withLibrary = InstallProgram(W(dir_.Folder()) + L"library\\", true);
    const struct {
        const std::wstring& exe;
        long value;  // -1: none
        std::wstring workDir;
        const char* importText;
    } cases[] = {
        {bare, -1, L"", kChinese},
        {bare, 1, ProgramFolder(), kChinese},  // a library in the current folder is not used
        {withLibrary, -1, L"", kEnglish},
        {withLibrary, 2, L"", kChinese},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.exe) + " " + std::to_string(c.value));
        DeleteProfile();
        if (c.value >= 0) {
            WriteLanguageValue(static_cast<DWORD>(c.value));
        }
        Program program(L"", c.exe, c.workDir);
        EXPECT_EQ(Utf8(program.Text(IDC_IMPORT)), c.importText);
        program.Close();
    }
}

TEST(Package, StartsOnTheSampleFromItsOwnFolder) {
    const char* unpacked = std::getenv("RVX_PACKAGE_DIR");
    ASSERT_NE(unpacked, nullptr) << "RVX_PACKAGE_DIR names the unpacked package";
    const std::wstring folder = WindowsPathOf(unpacked) + L"\\";
    Program program(Quoted(folder + L"ABCD0861.RVX"), folder + L"RVXTOOL.exe", folder);
    program.ExpectNoPopup();
    EXPECT_EQ(TipText(program.Dialog(), IDC_PATH), folder + L"ABCD0861.RVX");
    EXPECT_EQ(Utf8(program.Text(IDC_IMPORT)), kEnglish) << "English by default";
    program.Close();
}

}  // namespace
}  // namespace e2e
