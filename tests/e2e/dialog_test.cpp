// The editor dialog as a user meets it: start-up, loading, import, view, language, About, exit.
#include <gtest/gtest.h>

#include "e2e_files.h"
#include "messages.h"

namespace e2e {
namespace {

constexpr int kPointName = 1000;
constexpr int kSave = 1002;
constexpr int kAntHeight = 1003;
constexpr int kView = 1004;
constexpr int kPath = 1005;
constexpr int kChinese = 1006;
constexpr int kEnglish = 1007;
constexpr UINT kAboutCommand = 16;

std::vector<std::string> LinesWithout(const std::string& keyPrefix) {
    std::vector<std::string> lines;
    for (const std::string& line : rawgen::StandardLines()) {
        if (line.rfind(keyPrefix, 0) != 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

void ExpectShows(const Program& rvx, const std::wstring& path, const std::wstring& pointName,
                 const std::wstring& height) {
    EXPECT_EQ(rvx.Text(kPath), path);
    EXPECT_EQ(rvx.Text(kPointName), pointName);
    EXPECT_EQ(rvx.Text(kAntHeight), height);
}

using StartTest = DialogTest;

TEST_F(StartTest, GoodFileShowsItsValuesWithThreeDecimals) {
    const std::wstring path = MakeFile(u"ABCD0861.RVX", StandardRawFile("1.5"));
    Program rvx(Quoted(path));
    ExpectShows(rvx, path, L"ABCD", L"1.500");
    rvx.ExpectNoPopup();
    rvx.Close();
}

TEST_F(StartTest, NoPathShowsAnEmptyDialogAndSaveAsksForAFile) {
    Program rvx;
    ExpectShows(rvx, L"", L"", L"");
    rvx.ExpectNoPopup();
    rvx.Click(kSave);
    const Popup box = rvx.TakePopup();
    EXPECT_EQ(box.text, W(rawfile::kMsgImportFirst));
    EXPECT_TRUE(box.hasIcon);
}

TEST_F(StartTest, CommandLineTakesAQuotedPathWholeAndSkipsOptions) {
    const std::wstring path = MakeFile(u"A B 0861.RVX", StandardRawFile("2"));
    Program rvx(L"-x /y " + Quoted(path) + L" " + Quoted(PathOf(u"other.RVX")));
    ExpectShows(rvx, path, L"A B ", L"2.000");
}

TEST_F(StartTest, MissingFileShowsTheOpenMessageBeforeTheDialog) {
    Program rvx(Quoted(PathOf(u"NONE0861.RVX")), ProgramPath(), L"", StartWait::kNothing);
    const Popup box = rvx.TakePopup();
    EXPECT_EQ(box.text, W(rawfile::kMsgOpenFailed));
    EXPECT_TRUE(box.hasIcon);
    rvx.WaitForDialog();
    ExpectShows(rvx, L"", L"", L"");
}

using LoadTest = DialogTest;

// Each way a load fails, imported over a good file: the message and its icon, the good file's
// values stay on screen, and saving is refused until a file loads.
TEST_F(LoadTest, EachFailureKeepsThePreviousFileOnScreenAndBlocksSaving) {
    const std::wstring good = MakeFile(u"GOOD0861.RVX", StandardRawFile("1.5"));
    std::vector<std::string> longDate = rawgen::StandardLines();
    longDate[3] = "Date:2026-03-27-XYZ";
    struct Case {
        std::u16string name;
        rawgen::Bytes bytes;
        const char16_t* message;
        bool icon;
    };
    const Case cases[] = {
        {u"NOVR0861.RVX", rawgen::MakeHeader(LinesWithout("ver")), rawfile::kMsgNoVersion, true},
        {u"NOID0861.RVX", rawgen::MakeHeader(LinesWithout("ReceiverID:")),
         rawfile::kMsgNoReceiverId, true},
        {u"NODT0861.RVX", rawgen::MakeHeader(LinesWithout("Date:")), rawfile::kMsgImportFirst,
         true},
        {u"LONG0861.RVX", rawgen::MakeHeader(longDate), rawfile::kMsgDateException, false},
        {u"NOAH0861.RVX", rawgen::MakeHeader(LinesWithout("AntHigh:")), rawfile::kMsgNoAntHeight,
         true},
        {u"EMPT0861.RVX", "", rawfile::kMsgNoVersion, true},
    };
    Program rvx(Quoted(good));
    for (const Case& c : cases) {
        SCOPED_TRACE(rawfile::Utf16ToUtf8(c.name));
        rvx.Import(MakeFile(c.name, c.bytes));
        const Popup box = rvx.TakePopup();
        EXPECT_EQ(box.text, W(c.message));
        EXPECT_EQ(box.hasIcon, c.icon);
        ExpectShows(rvx, good, L"GOOD", L"1.500");
        rvx.Click(kSave);
        EXPECT_EQ(rvx.TakePopup().text, W(rawfile::kMsgImportFirst));
    }
    EXPECT_TRUE(Read(u"GOOD0861.RVX") == StandardRawFile("1.5")) << "the good file changed";
}

TEST_F(LoadTest, ImportShowsTheChosenFileAndCancelKeepsIt) {
    const std::wstring first = MakeFile(u"ABCD0861.RVX", StandardRawFile("1.5"));
    const std::wstring second = MakeFile(u"XY.RVX", StandardRawFile("-0.25"));
    Program rvx(Quoted(first));
    rvx.CancelImport();
    rvx.ExpectNoPopup();
    ExpectShows(rvx, first, L"ABCD", L"1.500");

    rvx.Import(second);
    rvx.ExpectNoPopup();
    ExpectShows(rvx, second, L"XY", L"-0.250");
    rvx.CancelImport();
    ExpectShows(rvx, second, L"XY", L"-0.250");
    // Still loaded after the cancel: a save goes ahead.
    rvx.SetText(kAntHeight, L"2");
    rvx.Click(kSave);
    rvx.ExpectNoPopup();
    EXPECT_EQ(rvx.Text(kAntHeight), L"2.000");
}

using DialogActionsTest = DialogTest;

TEST_F(DialogActionsTest, ViewOpensTheFileInNotepad) {
    const std::wstring path = MakeFile(u"VIEW0861.RVX", StandardRawFile());
    Program rvx(Quoted(path));
    rvx.Click(kView);
    const HWND notepad = WaitForAnyWindow(L"Notepad", L"VIEW0861", kWaitMs);
    ASSERT_NE(notepad, nullptr) << "no Notepad window for the file";
    PostMessageW(notepad, WM_CLOSE, 0, 0);
    rvx.ExpectNoPopup();
}

TEST_F(DialogActionsTest, LanguageButtonsWriteTheValueAndShowTheNotice) {
    Program rvx;
    struct Case {
        int button;
        DWORD value;
        const wchar_t* notice;
    };
    const Case cases[] = {
        {kEnglish, 1, L"\n该应用程序必须重新启动,\n以使所做改动生效。"},
        {kChinese, 0, L"\nThe application must be restarted for this change to take place."},
        {kChinese, 0, L"\nThe application must be restarted for this change to take place."},
    };
    for (const Case& c : cases) {
        rvx.Click(c.button);
        const Popup box = rvx.TakePopup();
        EXPECT_EQ(box.text, c.notice);
        EXPECT_FALSE(box.hasIcon);
        DWORD value = 99;
        ASSERT_TRUE(ReadLanguageValue(&value));
        EXPECT_EQ(value, c.value);
    }
}

TEST_F(DialogActionsTest, AboutBoxOpensFromTheSystemMenuCommand) {
    Program rvx;
    rvx.SysCommand(kAboutCommand);
    const Popup about = rvx.WaitForPopup();
    EXPECT_EQ(about.caption, L"关于RVXTOOL...");
    EXPECT_TRUE(about.hasIcon);
    EXPECT_NE(Describe(about.hwnd).find("RVXTOOL, Ver 1.30"), std::string::npos);
    rvx.Dismiss(about);
    rvx.ExpectNoPopup();
}

TEST_F(DialogActionsTest, EnterInThePointNameEndsTheProgramWithoutSaving) {
    const rawgen::Bytes bytes = StandardRawFile();
    const std::wstring path = MakeFile(u"ABCD0861.RVX", bytes);
    Program rvx(Quoted(path));
    rvx.SetText(kPointName, L"ZZZZ");
    rvx.SetText(kAntHeight, L"3");
    rvx.PressKey(kPointName, VK_RETURN);
    ASSERT_TRUE(rvx.WaitForExit());
    EXPECT_TRUE(Read(u"ABCD0861.RVX") == bytes) << "the file changed";
    EXPECT_FALSE(Exists(u"ZZZZ0861.RVX"));
}

}  // namespace
}  // namespace e2e
