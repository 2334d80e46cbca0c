// The interface language: the profile value picks it, the English library beside the program
// supplies it, and nothing but the library beside the program is ever used.
#include <windows.h>

#include <string>

#include "driver.h"
#include "gtest/gtest.h"
#include "messages.h"
#include "resource.h"
#include "shell_fixture.h"

namespace shell_test {
namespace {

const char kChinese[] = "导入RVX文件";
const char kEnglish[] = "Import RVX file";

std::string Fixed(const char16_t* text) {
    return e2e::Utf8(std::wstring(text, text + std::char_traits<char16_t>::length(text)));
}

// Every case leaves no language value behind.
class Language : public ::testing::Test {
protected:
    void TearDown() override { e2e::DeleteProfile(); }
};

// The import button's text at a start of `exe` from `workDir`, which tells the language.
std::string ImportButtonText(const std::wstring& exe, const std::wstring& workDir = L"") {
    e2e::Program program(L"", exe, workDir);
    const std::wstring text = program.Text(IDC_IMPORT);
    program.Close();
    return e2e::Utf8(text);
}

TEST_F(Language, WithoutProfileValueOrLibraryTheInterfaceIsChinese) {
    const std::wstring exe = InstallProgram(ScratchFolder(), Library::kWithout);
    e2e::DeleteProfile();
    EXPECT_EQ(ImportButtonText(exe), kChinese);
    e2e::WriteLanguageValue(1);
    EXPECT_EQ(ImportButtonText(exe), kChinese) << "English chosen but no library: Chinese";
}

TEST_F(Language, WithTheLibraryBesideTheProgramEnglishIsTheDefaultAndTheChoice) {
    const std::wstring exe = InstallProgram(ScratchFolder(), Library::kWith);
    e2e::DeleteProfile();
    EXPECT_EQ(ImportButtonText(exe), kEnglish) << "no profile value";
    e2e::WriteLanguageValue(1);
    EXPECT_EQ(ImportButtonText(exe), kEnglish) << "value 1";
}

TEST_F(Language, AnyOtherValueKeepsChineseThoughTheLibraryIsThere) {
    const std::wstring exe = InstallProgram(ScratchFolder(), Library::kWith);
    for (DWORD value : {0u, 2u, 0xFFFFFFFFu}) {
        e2e::WriteLanguageValue(value);
        EXPECT_EQ(ImportButtonText(exe), kChinese) << "value " << value;
    }
}

TEST_F(Language, ALibraryOutsideTheProgramsFolderIsNeverUsed) {
    const std::wstring exe = InstallProgram(ScratchFolder(L"program"), Library::kWithout);
    const std::wstring elsewhere = ScratchFolder(L"current");
    CopyLibrary(elsewhere);
    e2e::WriteLanguageValue(1);
    EXPECT_EQ(ImportButtonText(exe, elsewhere), kChinese) << "library in the current folder";
}

TEST_F(Language, ChoosingEnglishTakesEffectAtTheNextStartAndMessagesKeepTheirTexts) {
    const std::wstring folder = ScratchFolder();
    const std::wstring exe = InstallProgram(folder, Library::kWith);
    e2e::WriteLanguageValue(0);
    {
        e2e::Program program(L"", exe);
        EXPECT_EQ(e2e::Utf8(program.Text(IDC_IMPORT)), kChinese);
        program.Click(IDC_ENGLISH);
        const e2e::Popup notice = program.TakePopup();
        EXPECT_EQ(e2e::Utf8(notice.text), "\n该应用程序必须重新启动,\n以使所做改动生效。");
        EXPECT_EQ(e2e::Utf8(program.Text(IDC_IMPORT)), kChinese) << "changed before a restart";
        program.Close();
    }
    DWORD value = 0;
    ASSERT_TRUE(e2e::ReadLanguageValue(&value));
    EXPECT_EQ(value, 1u);

    e2e::Program program(e2e::Quoted(folder + L"GONE0861.RVX"), exe, L"", e2e::StartWait::kNothing);
    const e2e::Popup loadFailed = program.TakePopup();
    EXPECT_EQ(e2e::Utf8(loadFailed.text), Fixed(rawfile::kMsgOpenFailed));
    program.WaitForDialog();
    EXPECT_EQ(e2e::Utf8(program.Text(IDC_IMPORT)), kEnglish);
    program.Click(IDC_SAVE);
    const e2e::Popup saveRefused = program.TakePopup();
    EXPECT_EQ(e2e::Utf8(saveRefused.text), Fixed(rawfile::kMsgImportFirst));
    program.Close();
}

}  // namespace
}  // namespace shell_test
