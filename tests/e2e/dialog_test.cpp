// The editor dialog as a user meets it, each path's wiring once: start-up, a load message, import,
// drag and drop with a long path, a save, a refusal, a failed save, view, language and
// About, the English interface's messages, the keyboard and the question about unsaved fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "driver.h"

namespace e2e {
namespace {

const wchar_t kImportFirst[] = L"请导入正确的RVX格式文件,再修改点名与天线高";

// The path field shows at least the file name; its tooltip has the whole path.
void ExpectShows(const Program& rvx, const std::wstring& path, const std::wstring& pointName,
                 const std::wstring& height) {
    const std::wstring shown = rvx.Text(IDC_PATH), name = path.substr(path.rfind(L'\\') + 1);
    EXPECT_EQ(shown.substr(shown.size() - std::min(shown.size(), name.size())), name);
    EXPECT_EQ(TipText(rvx.Dialog(), IDC_PATH), path);
    EXPECT_EQ(rvx.Text(IDC_POINT_NAME), pointName);
    EXPECT_EQ(rvx.Text(IDC_ANT_HEIGHT), height);
}

// Started without a file, saving asks for one. Dropped files load like an import, here from a
// folder deeper than 300 characters, where the file also saves and renames. A file that cannot
// load shows its message (with or without the icon), the previous values stay and saving is
// refused; several files load none; a drop while a box is open is ignored. The open dialog then
// starts in the folder of the last file tried, and a cancelled import changes nothing.
TEST_F(DialogTest, DroppedAndImportedFilesLoadAndFailuresKeepThePreviousFile) {
    const std::u16string deep(255, u'D');
    ASSERT_TRUE(CreateDirectoryW(PathOf(deep).c_str(), nullptr));
    const std::wstring path = MakeFile(deep + u"\\ABCD0861.RVX", rawgen::StandardFile("1.5"));
    const std::wstring saved = PathOf(deep + u"\\EFGH0861.RVX");
    ASSERT_GT(path.size(), 300u);
    const std::wstring other = MakeFile(u"XY.RVX", rawgen::StandardFile("-0.25"));
    std::vector<std::string> longDate = rawgen::StandardLines();
    longDate[3] = "Date:2026-03-27-XYZ";
    Program rvx;
    ExpectShows(rvx, L"", L"", L"");
    rvx.Click(IDC_SAVE);
    EXPECT_EQ(rvx.TakePopup().text, kImportFirst);
    rvx.Drop({path});
    rvx.ExpectNoPopup();
    ExpectShows(rvx, path, L"ABCD", L"1.500");
    // The path is shortened in its middle and can be copied whole.
    const std::wstring shown = rvx.Text(IDC_PATH);
    EXPECT_EQ(shown.substr(0, 3) + shown.substr(shown.find(L'\u2026')),
              path.substr(0, 3) + L"\u2026\\ABCD0861.RVX");
    rvx.Click(IDM_COPY_PATH);
    rvx.ExpectNoPopup();
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto* copied = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    EXPECT_EQ(std::wstring(copied != nullptr ? copied : L""), path);
    CloseClipboard();
    rvx.EditAndSave(L"EFGH", L"1.6");
    rvx.ExpectNoPopup();
    EXPECT_EQ(Read(deep + u"\\EFGH0861.RVX").substr(130, 4), std::string("\x40\x06\0\0", 4));
    const struct {
        std::vector<std::wstring> paths;
        const wchar_t* message;
        bool icon;
    } cases[] = {
        {{other, path}, L"一次只能拖入一个RVX文件", true},
        {{MakeFile(u"NOAH0861.RVX", HeaderWithout(5))},
         L"未发现天线高(AntHigh)，请确认文件是否为RVX格式",
         true},
        {{MakeFile(u"LONG0861.RVX", rawgen::MakeHeader(longDate))}, L"Date Exception!", false},
    };
    for (const auto& c : cases) {
        rvx.Drop(c.paths);
        const Popup box = rvx.WaitForPopup();
        rvx.Drop({other});
        rvx.Dismiss(box);
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.hasIcon, c.icon);
        rvx.ExpectNoPopup();
        ExpectShows(rvx, saved, L"EFGH", L"1.600");
    }
    rvx.Click(IDC_SAVE);
    EXPECT_EQ(rvx.TakePopup().text, kImportFirst);
    rvx.Import(L"XY.RVX");
    rvx.ExpectNoPopup();
    rvx.Import(L"");
    ExpectShows(rvx, other, L"XY", L"-0.250");
    // The scratch folder's cleanup (std::filesystem of MinGW) stops at 260 characters.
    MoveFileW(PathOf(deep).c_str(), PathOf(u"D").c_str());
}

class SaveTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        path_ = MakeFile(u"ABCD0861.RVX", original_);
    }
    // As a save writes it, so that unchanged fields write nothing.
    const rawgen::Bytes original_ = rawgen::StandardFile("1.500").replace(130, 2, "\xDC\x05");
    std::wstring path_;
};

// A refusal shows its message every time save is pressed and changes nothing. A file another
// program has replaced since it was loaded is refused, and the other file keeps its bytes.
TEST_F(SaveTest, RefusalRepeatsAndChangesNothing) {
    MakeFile(u"TAKE0861.RVX", original_);
    Program rvx(Quoted(path_));
    for (int press = 0; press < 2; ++press) {
        rvx.EditAndSave(L"TAKE", L"1.6");
        const Popup box = rvx.TakePopup();
        EXPECT_EQ(box.text, L"目标文件已存在，未做任何修改\n" + PathOf(u"TAKE0861.RVX"));
        EXPECT_TRUE(box.hasIcon);
    }
    EXPECT_EQ(Read(u"ABCD0861.RVX"), original_);
    EXPECT_EQ(Read(u"TAKE0861.RVX"), original_);
    const rawgen::Bytes other = rawgen::StandardFile("2.000", 300);
    MakeFile(u"B.tmp", other);
    ASSERT_TRUE(MoveFileExW(PathOf(u"B.tmp").c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING));
    rvx.EditAndSave(L"ABCD", L"1.620");
    EXPECT_EQ(rvx.TakePopup().text, L"文件已被其他程序修改，请重新导入后再保存");
    EXPECT_EQ(Read(u"ABCD0861.RVX"), other);
}

// In the English interface every box is English. Unchanged fields save nothing. A file held by
// another program: the file-error box with the system's reason, and the fields stay as typed; a
// file dropped then asks about them, and when it cannot load says why.
TEST_F(SaveTest, EnglishBoxesAndAFailedSaveKeepsTheFields) {
    WriteLanguageValue(1);
    Program rvx(Quoted(path_));
    rvx.Click(IDC_SAVE);
    rvx.ExpectNoPopup();
    const HANDLE held = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    rvx.EditAndSave(L"LONGNAME12", L"1.6");
    const Popup box = rvx.TakePopup();
    CloseHandle(held);
    const std::wstring what = L"Cannot open the file; nothing was changed:\n" + path_ + L"\n\n";
    ASSERT_GT(box.text.size(), what.size()) << Utf8(box.text);
    EXPECT_EQ(box.text.substr(0, what.size()), what);
    EXPECT_LT(*std::max_element(box.text.begin() + what.size(), box.text.end()), 0x80);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(Read(u"ABCD0861.RVX"), original_);
    EXPECT_EQ(rvx.Text(IDC_ANT_HEIGHT), L"1.6");
    rvx.Drop({MakeFile(u"NOAH0861.RVX", HeaderWithout(5))});
    const Popup ask = rvx.WaitForPopup();
    rvx.Dismiss(ask, IDNO);
    EXPECT_EQ(ask.text, L"The point name or antenna height has changed but is not saved. Save it?");
    EXPECT_EQ(rvx.TakePopup().text,
              L"No antenna height (AntHigh) found; check that this is a raw file.");
}

TEST_F(DialogTest, ViewOpensTheFileInNotepad) {
    Program rvx(Quoted(MakeFile(u"VIEW0861.RVX", rawgen::StandardFile())));
    rvx.Click(IDC_VIEW);
    const HWND notepad = WaitForAnyWindow(L"Notepad", L"VIEW0861", kWaitMs);
    ASSERT_NE(notepad, nullptr) << "no Notepad window for the file";
    PostMessageW(notepad, WM_CLOSE, 0, 0);
    rvx.ExpectNoPopup();
}

TEST_F(DialogTest, LanguageButtonsWriteTheValueAndAboutOpens) {
    Program rvx;
    const struct {
        int button;
        DWORD value;
        const wchar_t* notice;
    } cases[] = {
        {IDC_ENGLISH, 1, L"\n该应用程序必须重新启动,\n以使所做改动生效。"},
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
    PostMessageW(rvx.Dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const Popup about = rvx.WaitForPopup();
    EXPECT_EQ(about.caption, L"关于RVXTOOL...");
    EXPECT_TRUE(about.hasIcon);
    rvx.Dismiss(about);
}

// Focus starts in the point name with its text selected. Tab walks the fields, the buttons and
// the language buttons as one stop, between which an arrow key moves (choosing one). Enter,
// Escape, the close box or import with fields that differ from the file ask first: Cancel goes
// back to the fields, No ends leaving the file as it was, Yes saves and then ends.
TEST_F(SaveTest, KeyboardAndUnsavedFields) {
    {
        Program rvx(Quoted(path_));
        EXPECT_EQ(rvx.FocusId(), IDC_POINT_NAME);
        EXPECT_EQ(SendMessageW(GetDlgItem(rvx.Dialog(), IDC_POINT_NAME), EM_GETSEL, 0, 0),
                  MAKELONG(0, 4));
        const std::pair<WORD, int> walk[] = {{VK_TAB, IDC_ANT_HEIGHT}, {VK_TAB, IDC_SAVE},
                                             {VK_TAB, IDC_IMPORT},     {VK_TAB, IDC_VIEW},
                                             {VK_TAB, IDOK},           {VK_TAB, IDC_CHINESE},
                                             {VK_RIGHT, IDC_ENGLISH},  {VK_TAB, IDC_POINT_NAME}};
        for (const auto& [key, focus] : walk) {
            rvx.Press(key);
            if (key == VK_RIGHT) {
                EXPECT_EQ(rvx.TakePopup().text, L"\n该应用程序必须重新启动,\n以使所做改动生效。");
            }
            rvx.ExpectNoPopup();
            EXPECT_EQ(rvx.FocusId(), focus) << "after key " << key;
        }
        rvx.SetText(IDC_ANT_HEIGHT, L"1.6");
        // Key 0: import, which would replace the fields with another file's.
        for (const auto& [key, answer] :
             {std::pair{0, IDCANCEL}, {VK_RETURN, IDCANCEL}, {VK_ESCAPE, IDNO}}) {
            key == 0 ? rvx.Click(IDC_IMPORT) : rvx.Press(static_cast<WORD>(key));
            const Popup box = rvx.WaitForPopup();
            EXPECT_EQ(box.text, L"点名或天线高已修改但尚未保存。是否保存？");
            rvx.Dismiss(box, answer);
            EXPECT_EQ(rvx.WaitForExit(answer == IDNO ? kWaitMs : 500), answer == IDNO);
        }
        EXPECT_EQ(Read(u"ABCD0861.RVX"), original_);
    }
    // Names outside the code pages, in the command line and in the point name, save alike.
    Program rvx(Quoted(MakeFile(u"测站0861.RVX", original_)));
    rvx.SetText(IDC_POINT_NAME, L"站点");
    PostMessageW(rvx.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    rvx.Dismiss(rvx.WaitForPopup(), IDYES);
    EXPECT_TRUE(rvx.WaitForExit());
    EXPECT_FALSE(Exists(u"测站0861.RVX"));
    EXPECT_EQ(Read(u"站点0861.RVX").substr(160), original_.substr(160));
}

// A header holding a height no save could write again is shown as it is, and closing the
// untouched fields asks nothing.
TEST_F(DialogTest, ImpossibleHeightsAsLoadedCloseWithoutAQuestion) {
    for (const auto& [header, shown] :
         {std::pair{"3000000", L"3000000.000"}, {"2147484", L"2147484.000"}, {"1e999", L"inf"}}) {
        Program rvx(Quoted(MakeFile(u"HIGH0861.RVX", rawgen::StandardFile(header))));
        rvx.ExpectNoPopup();
        EXPECT_EQ(rvx.Text(IDC_ANT_HEIGHT), shown);
        rvx.Press(VK_ESCAPE);
        EXPECT_TRUE(rvx.WaitForExit()) << header;
    }
}

// A height typed in millimetres asks first: No goes back to the height, selected, and writes
// nothing; Yes saves it as typed. Blanks around the point name go; a blank name keeps the file's.
TEST_F(SaveTest, MillimetresAskAndBlanksAroundThePointNameGo) {
    Program rvx(Quoted(path_));
    rvx.EditAndSave(L"  EF GH  ", L"1600");
    const Popup ask = rvx.WaitForPopup();
    rvx.Dismiss(ask, IDNO);
    EXPECT_EQ(ask.text, L"1600 米？是否应为 1.600 米？");
    rvx.ExpectNoPopup();
    EXPECT_EQ(Read(u"ABCD0861.RVX"), original_);
    EXPECT_EQ(rvx.FocusId(), IDC_ANT_HEIGHT);
    EXPECT_EQ(SendMessageW(GetDlgItem(rvx.Dialog(), IDC_ANT_HEIGHT), EM_GETSEL, 0, 0),
              MAKELONG(0, 4));
    rvx.EditAndSave(L"  EF GH  ", L"1.6");
    rvx.ExpectNoPopup();
    EXPECT_EQ(rvx.Text(IDC_POINT_NAME), L"EF GH");
    EXPECT_EQ(Read(u"EF GH0861.RVX").substr(130, 4), std::string("\x40\x06\0\0", 4));
    rvx.EditAndSave(L" \u3000 ", L"1602.4");
    rvx.Dismiss(rvx.WaitForPopup(), IDYES);
    rvx.ExpectNoPopup();
    EXPECT_EQ(rvx.Text(IDC_ANT_HEIGHT), L"1602.400");
    EXPECT_NE(Read(u"EF GH0861.RVX").find("AntHigh:1602.400\r\n"), std::string::npos);
}

// Another program holding the change record (as a spreadsheet does) is named, nothing changes,
// and the save goes through once it lets go.
TEST_F(SaveTest, AHeldRecordIsNamedAndTheSaveWaitsForIt) {
    wchar_t profile[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"LOCALAPPDATA", profile, MAX_PATH);
    const std::wstring record = std::wstring(profile) + L"\\RVXTOOL\\changes.csv";
    CreateDirectoryW((std::wstring(profile) + L"\\RVXTOOL").c_str(), nullptr);
    const HANDLE held = CreateFileW(record.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Program rvx(Quoted(path_));
    rvx.EditAndSave(L"EFGH", L"1.6");
    const Popup box = rvx.TakePopup();
    const std::wstring start = L"变更记录 " + record + L" 正被", end = L"打开，关闭后再保存";
    ASSERT_GT(box.text.size(), start.size() + end.size()) << Utf8(box.text);
    EXPECT_EQ(box.text.substr(0, start.size()), start);
    EXPECT_EQ(box.text.substr(box.text.size() - end.size()), end);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(Read(u"ABCD0861.RVX"), original_);
    CloseHandle(held);
    rvx.Click(IDC_SAVE);
    rvx.ExpectNoPopup();
    EXPECT_FALSE(Exists(u"ABCD0861.RVX"));
    EXPECT_NE(Read(u"EFGH0861.RVX").find("AntHigh:1.600"), std::string::npos);
}

// Logging off with unsaved fields asks as closing does and holds the session's end until the
// answer: Cancel refuses it, No lets it end, and the end of the session ends the program.
TEST_F(SaveTest, LoggingOffAsksAboutUnsavedFields) {
    Program rvx(Quoted(path_));
    rvx.SetText(IDC_ANT_HEIGHT, L"1.6");
    for (const int answer : {IDCANCEL, IDNO}) {
        DWORD_PTR result = 99;
        std::thread query([&] {
            SendMessageTimeoutW(rvx.Dialog(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                kWaitMs, &result);
        });
        const Popup ask = rvx.WaitForPopup();
        rvx.Dismiss(ask, answer);
        query.join();
        EXPECT_EQ(ask.text, L"点名或天线高已修改但尚未保存。是否保存？");
        EXPECT_EQ(result, answer == IDNO ? 1u : 0u);
    }
    PostMessageW(rvx.Dialog(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(rvx.WaitForExit());
    EXPECT_EQ(Read(u"ABCD0861.RVX"), original_);
}

}  // namespace
}  // namespace e2e
