// The editor dialog as a user meets it: start-up, loading, import, saving and its refusals,
// view, language, About and exit.
#include <gtest/gtest.h>

#include <cstring>

#include "driver.h"
#include "messages.h"

namespace e2e {
namespace {

void ExpectShows(const Program& rvx, const std::wstring& path, const std::wstring& pointName,
                 const std::wstring& height) {
    EXPECT_EQ(rvx.Text(IDC_PATH), path);
    EXPECT_EQ(rvx.Text(IDC_POINT_NAME), pointName);
    EXPECT_EQ(rvx.Text(IDC_ANT_HEIGHT), height);
}

std::int32_t MillimetreField(const rawgen::Bytes& file) {
    std::int32_t v = 0;
    std::memcpy(&v, file.data() + 130, 4);
    return v;
}

using StartTest = DialogTest;

TEST_F(StartTest, NoPathShowsAnEmptyDialogAndSaveAsksForAFile) {
    Program rvx;
    ExpectShows(rvx, L"", L"", L"");
    rvx.ExpectNoPopup();
    rvx.Click(IDC_SAVE);
    EXPECT_EQ(rvx.TakePopup().text, W(rawfile::kMsgImportFirst));
}

// Each way a load fails, imported over a good file: the message and its icon, the good file's
// values stay on screen, and saving is refused until a file loads.
TEST_F(StartTest, EachLoadFailureKeepsThePreviousFileOnScreenAndBlocksSaving) {
    const std::wstring good = MakeFile(u"GOOD0861.RVX", rawgen::StandardFile("1.5"));
    std::vector<std::string> longDate = rawgen::StandardLines();
    longDate[3] = "Date:2026-03-27-XYZ";
    const struct {
        std::u16string name;
        rawgen::Bytes bytes;
        const char16_t* message;
        bool icon;
    } cases[] = {
        {u"NOVR0861.RVX", HeaderWithout(1), rawfile::kMsgNoVersion, true},
        {u"NOID0861.RVX", HeaderWithout(2), rawfile::kMsgNoReceiverId, true},
        {u"NODT0861.RVX", HeaderWithout(3), rawfile::kMsgImportFirst, true},
        {u"LONG0861.RVX", rawgen::MakeHeader(longDate), rawfile::kMsgDateException, false},
        {u"NOAH0861.RVX", HeaderWithout(5), rawfile::kMsgNoAntHeight, true},
    };
    Program rvx(Quoted(good));
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(W(c.name)));
        rvx.Import(MakeFile(c.name, c.bytes));
        const Popup box = rvx.TakePopup();
        EXPECT_EQ(box.text, W(c.message));
        EXPECT_EQ(box.hasIcon, c.icon);
        ExpectShows(rvx, good, L"GOOD", L"1.500");
        rvx.Click(IDC_SAVE);
        const Popup refusal = rvx.TakePopup();
        EXPECT_EQ(refusal.text, W(rawfile::kMsgImportFirst));
        EXPECT_TRUE(refusal.hasIcon);
    }
    EXPECT_TRUE(Read(u"GOOD0861.RVX") == rawgen::StandardFile("1.5")) << "the good file changed";
}

// A good file's values show with three decimals, from the command line and from an import, and a
// cancelled import keeps the file loaded.
TEST_F(StartTest, GoodFilesShowTheirValuesAndACancelledImportKeepsThem) {
    const std::wstring first = MakeFile(u"ABCD0861.RVX", rawgen::StandardFile("1.5"));
    const std::wstring second = MakeFile(u"XY.RVX", rawgen::StandardFile("-0.25"));
    Program rvx(Quoted(first));
    rvx.ExpectNoPopup();
    ExpectShows(rvx, first, L"ABCD", L"1.500");
    rvx.Import(second);
    rvx.ExpectNoPopup();
    rvx.Import(L"");
    ExpectShows(rvx, second, L"XY", L"-0.250");
    // Still loaded after the cancel: a save goes ahead.
    rvx.EditAndSave(L"XY", L"2");
    rvx.ExpectNoPopup();
    EXPECT_EQ(rvx.Text(IDC_ANT_HEIGHT), L"2.000");
}

class SaveTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        path_ = MakeFile(u"ABCD0861.RVX", original_);
    }

    void ExpectUntouched() {
        EXPECT_TRUE(Read(u"ABCD0861.RVX") == original_) << "the file changed";
    }

    const rawgen::Bytes original_ = rawgen::StandardFile("1.5");
    std::wstring path_;
};

TEST_F(SaveTest, NewNameAndHeightRewriteTheHeaderRenameAndRefresh) {
    Program rvx(Quoted(path_));
    rvx.EditAndSave(L"EFGH", L"1.6");
    rvx.ExpectNoPopup();
    EXPECT_FALSE(Exists(u"ABCD0861.RVX"));
    const rawgen::Bytes saved = Read(u"EFGH0861.RVX");
    EXPECT_EQ(saved.substr(0, saved.find('\0')),
              "VORTALIX COLLECTED DATA FILE\r\nver 2.0\r\nReceiverID:A1B2C3\r\n"
              "Date:2026-03-27\r\nModel:VX-10 GNSS\r\nAntHigh:1.600\r\n");
    EXPECT_EQ(MillimetreField(saved), 1600);
    EXPECT_TRUE(saved.substr(160) == original_.substr(160)) << "receiver data changed";
    ExpectShows(rvx, PathOf(u"EFGH0861.RVX"), L"EFGH", L"1.600");

    // The second save works on the file under its new name.
    rvx.EditAndSave(L"LONGNAME12", L"-1.5");
    rvx.ExpectNoPopup();
    EXPECT_FALSE(Exists(u"EFGH0861.RVX"));
    const rawgen::Bytes second = Read(u"LONGNAME0861.RVX");
    EXPECT_EQ(MillimetreField(second), -1500);
    EXPECT_TRUE(second.substr(160) == original_.substr(160)) << "receiver data changed";
    ExpectShows(rvx, PathOf(u"LONGNAME0861.RVX"), L"LONGNAME", L"-1.500");
}

TEST_F(SaveTest, UnchangedFieldsWriteNothingAndSayNothing) {
    Program rvx(Quoted(path_));
    rvx.Click(IDC_SAVE);
    rvx.ExpectNoPopup();
    ExpectUntouched();
}

// Each refusal shows its message with the error icon, changes nothing on disk, and shows again
// when save is pressed again with the same fields.
TEST_F(SaveTest, RefusalsChangeNothingAndRepeat) {
    MakeFile(u"TAKE0861.RVX", original_);
    const struct {
        std::wstring pointName;
        std::wstring height;
        std::wstring message;
    } cases[] = {
        {L"ABCD", L"abc", W(rawfile::kMsgHeightNotNumber)},
        {L"ABCD", L"1,5", W(rawfile::kMsgHeightNotNumber)},
        {L"ABCD", L"", W(rawfile::kMsgHeightNotNumber)},
        {L"ABCD", L"1e10", W(rawfile::kMsgHeightOutOfRange)},
        {L"A/B", L"1.6", W(rawfile::kMsgBadPointName)},
        {L"A:B", L"1.500", W(rawfile::kMsgBadPointName)},
        {L"TAKE", L"1.6", W(rawfile::kMsgTargetExists) + L"\n" + PathOf(u"TAKE0861.RVX")},
    };
    Program rvx(Quoted(path_));
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.pointName + L" / " + c.height));
        for (int press = 0; press < 2; ++press) {
            rvx.EditAndSave(c.pointName, c.height);
            const Popup box = rvx.TakePopup();
            EXPECT_EQ(box.text, c.message);
            EXPECT_TRUE(box.hasIcon);
        }
        ExpectUntouched();
        EXPECT_TRUE(Read(u"TAKE0861.RVX") == original_) << "the other file changed";
    }
    // Back to valid fields, the save goes ahead.
    rvx.EditAndSave(L"ABCD", L"1.25");
    rvx.ExpectNoPopup();
    EXPECT_EQ(MillimetreField(Read(u"ABCD0861.RVX")), 1250);
}

TEST_F(SaveTest, EnterInThePointNameEndsTheProgramWithoutSaving) {
    Program rvx(Quoted(path_));
    rvx.SetText(IDC_POINT_NAME, L"ZZZZ");
    rvx.SetText(IDC_ANT_HEIGHT, L"3");
    const HWND edit = GetDlgItem(rvx.Dialog(), IDC_POINT_NAME);
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(edit, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
    ASSERT_TRUE(rvx.WaitForExit());
    ExpectUntouched();
    EXPECT_FALSE(Exists(u"ZZZZ0861.RVX"));
}

using DialogActionsTest = DialogTest;

TEST_F(DialogActionsTest, ViewOpensTheFileInNotepad) {
    Program rvx(Quoted(MakeFile(u"VIEW0861.RVX", rawgen::StandardFile())));
    rvx.Click(IDC_VIEW);
    const HWND notepad = WaitForAnyWindow(L"Notepad", L"VIEW0861", kWaitMs);
    ASSERT_NE(notepad, nullptr) << "no Notepad window for the file";
    PostMessageW(notepad, WM_CLOSE, 0, 0);
    rvx.ExpectNoPopup();
}

TEST_F(DialogActionsTest, LanguageButtonsWriteTheValueAndShowTheNotice) {
    Program rvx;
    const struct {
        int button;
        DWORD value;
        const wchar_t* notice;
    } cases[] = {
        {IDC_ENGLISH, 1, L"\n该应用程序必须重新启动,\n以使所做改动生效。"},
        {IDC_CHINESE, 0, L"\nThe application must be restarted for this change to take place."},
        {IDC_CHINESE, 0, L"\nThe application must be restarted for this change to take place."},
    };
    for (const auto& c : cases) {
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
    PostMessageW(rvx.Dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const Popup about = rvx.WaitForPopup();
    EXPECT_EQ(about.caption, L"关于RVXTOOL...");
    EXPECT_TRUE(about.hasIcon);
    rvx.Dismiss(about);
    rvx.ExpectNoPopup();
}

}  // namespace
}  // namespace e2e
