// The field-log window as a user meets it: a log with a refused row saves nothing; the corrected
// log saves every file, the editor follows its file to the new name, and rvxedit undo on the
// change record the window wrote puts every file back byte for byte. A long log fills the list
// as it is checked and Cancel is heard while checking and saving; the columns share the
// window's width and keep the user's widths; another encoding reads the log again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "driver.h"

namespace e2e {
namespace {

// The text of cell (`row`, `column`) of a list view in another process: the question and the
// answer go through the program's own memory.
std::wstring ListText(HWND list, int row, int column) {
    struct Exchange {
        LVITEMW item;
        wchar_t text[512];
    } local{};
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    const HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof local, MEM_COMMIT, PAGE_READWRITE));
    local.item.iSubItem = column;
    local.item.cchTextMax = 512;
    local.item.pszText = reinterpret_cast<wchar_t*>(remote + offsetof(Exchange, text));
    DWORD_PTR result = 0;
    if (remote == nullptr || !WriteProcessMemory(process, remote, &local, sizeof local, nullptr) ||
        !SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, kWaitMs, &result) ||
        !ReadProcessMemory(process, remote, &local, sizeof local, nullptr)) {
        throw DriverError("cannot ask the program for a list cell");
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return local.text;
}

// Runs rvxedit.exe with `arguments` and returns its exit status.
DWORD RunRvxedit(const std::wstring& arguments) {
    const std::wstring exe = WindowsPathOf(RVX_RVXEDIT_UNIX_PATH);
    std::wstring commandLine = Quoted(exe) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        throw DriverError("cannot start " + Utf8(commandLine));
    }
    WaitForSingleObject(process.hProcess, kWaitMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class FieldLogTest : public DialogTest {
protected:
    // Drops the log `name` holding `text` and waits until its window has checked every row.
    HWND DropLog(Program& rvx, const std::u16string& name, const std::string& text) {
        rvx.Drop({MakeFile(name, rawgen::Bytes(text.begin(), text.end()))});
        const HWND window = rvx.WaitForPopup().hwnd;
        if (!PollUntil(kWaitMs, [&] {
                return SendMessageW(GetDlgItem(window, IDC_LOG_LIST), LVM_GETITEMCOUNT, 0, 0) != 0;
            })) {
            throw DriverError("the log window listed nothing: " + Describe(window));
        }
        return window;
    }
    std::vector<std::wstring> States(HWND window, int rows = 3) const {
        std::vector<std::wstring> states;
        for (int row = 0; row < rows; ++row) {
            states.push_back(ListText(GetDlgItem(window, IDC_LOG_LIST), row, 4));
        }
        return states;
    }
    // A log of `rows` files R0000.RVX ..., each to get the height 1.600, and the files.
    std::string ManyRows(int rows) {
        const rawgen::Bytes original = rawgen::StandardFile("1.500");
        std::string log = "file,height\n";
        for (int i = 0; i < rows; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "R%04d.RVX", i);
            MakeFile(std::u16string(name, name + 9), original);
            log += std::string(name) + ",1.6\n";
        }
        return log;
    }
};

int ItemCount(HWND window) {
    return static_cast<int>(SendMessageW(GetDlgItem(window, IDC_LOG_LIST), LVM_GETITEMCOUNT, 0, 0));
}

// The list's column widths, and the width of its client area they should fill.
std::vector<int> ColumnWidths(HWND window) {
    std::vector<int> widths;
    for (int i = 0; i < 5; ++i) {
        widths.push_back(static_cast<int>(
            SendMessageW(GetDlgItem(window, IDC_LOG_LIST), LVM_GETCOLUMNWIDTH, i, 0)));
    }
    return widths;
}
int ListWidth(HWND window) {
    RECT client{};
    GetClientRect(GetDlgItem(window, IDC_LOG_LIST), &client);
    return client.right;
}
bool ColumnsFill(HWND window) {
    const std::vector<int> widths = ColumnWidths(window);
    return std::accumulate(widths.begin(), widths.end(), 0) == ListWidth(window);
}

// Whether the window answers a message while it works (speed is the benchmark's to measure).
bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &result) != 0;
}

TEST_F(FieldLogTest, RefusedRowSavesNothingAndTheCorrectedLogSavesAllAndUndoes) {
    wchar_t profile[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"LOCALAPPDATA", profile, MAX_PATH);
    const std::wstring record = std::wstring(profile) + L"\\RVXTOOL\\changes.csv";
    DeleteFileW(record.c_str());
    const rawgen::Bytes original = rawgen::StandardFile("1.500");
    const std::wstring first = MakeFile(u"A1.RVX", original);
    MakeFile(u"B2.RVX", original);
    MakeFile(u"C3.RVX", original);
    Program rvx(Quoted(first));

    const std::string head =
        "file,point,height1,height2\nA1.RVX,P001,1.602,1.604\n"
        "B2.RVX,P002,1.5,\n";
    // A name that differs from a file of the folder only in letter case is taken: the refusal
    // names that file as the folder spells it, on one line.
    MakeFile(u"ABCD.RVX", original);
    MakeFile(u"D4.RVX", original);
    HWND window = DropLog(rvx, u"bad.csv", head + "C3.RVX,P001,1.7,\nD4.RVX,abcd,,\n");
    ASSERT_TRUE(PollUntil(kWaitMs, [&] { return ItemCount(window) == 4; }));
    ASSERT_TRUE(PollUntil(kWaitMs, [&] {
        return ControlText(window, IDC_LOG_STATUS) ==
               L"有2行有问题，不能保存。请改正记录表后再拖入。";
    })) << Utf8(ControlText(window, IDC_LOG_STATUS));
    const std::wstring folder = first.substr(0, first.find_last_of(L'\\') + 1);
    EXPECT_EQ(States(window, 4),
              (std::vector<std::wstring>{L"将保存", L"将保存", L"与第2行的新文件名相同：P001.RVX",
                                         L"目标文件已存在，未做任何修改 " + folder + L"ABCD.RVX"}));
    EXPECT_EQ(ListText(GetDlgItem(window, IDC_LOG_LIST), 0, 1), L"A1.RVX");
    EXPECT_EQ(ListText(GetDlgItem(window, IDC_LOG_LIST), 0, 3),
              L"1.500 \u2192 1.603 (2个读数，相差0.002米)");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_LOG_SAVE_ALL)));
    EXPECT_EQ(SendMessageW(GetDlgItem(window, IDC_LOG_LIST), LVM_GETNEXTITEM,
                           static_cast<WPARAM>(-1), LVNI_SELECTED),
              2);
    // The selected row's state in full under the list.
    EXPECT_EQ(ControlText(window, IDC_LOG_DETAIL), L"与第2行的新文件名相同：P001.RVX");
    EXPECT_EQ(ControlText(window, IDC_LOG_ENCODING_READ), L"已按UTF-8读取");
    rvx.Dismiss(ReadPopup(window), IDCANCEL);
    EXPECT_EQ(Read(u"A1.RVX"), original);

    window = DropLog(rvx, u"good.csv", head + "C3.RVX,P003,1.7,\n");
    ASSERT_TRUE(PollUntil(kWaitMs, [&] {
        return IsWindowEnabled(GetDlgItem(window, IDC_LOG_SAVE_ALL));
    })) << Utf8(ControlText(window, IDC_LOG_STATUS));
    PostClick(window, IDC_LOG_SAVE_ALL);
    ASSERT_TRUE(PollUntil(kWaitMs, [&] {
        return ControlText(window, IDC_LOG_STATUS) == L"已保存3个文件。";
    })) << Utf8(ControlText(window, IDC_LOG_STATUS));
    EXPECT_EQ(States(window), (std::vector<std::wstring>(3, L"已保存")));
    rvx.Dismiss(ReadPopup(window), IDCANCEL);
    EXPECT_FALSE(Exists(u"A1.RVX") || Exists(u"B2.RVX") || Exists(u"C3.RVX"));
    const rawgen::Bytes p1 = Read(u"P001.RVX");
    EXPECT_NE(p1.find("AntHigh:1.603"), std::string::npos);
    EXPECT_EQ(p1.substr(160), original.substr(160));
    EXPECT_NE(Read(u"P003.RVX").find("AntHigh:1.700"), std::string::npos);
    // The editor shows its file again, under the name the log gave it.
    EXPECT_EQ(rvx.Text(IDC_POINT_NAME), L"P001");
    EXPECT_EQ(rvx.Text(IDC_ANT_HEIGHT), L"1.603");

    const rawgen::Bytes rows = rawgen::ReadFile(std::u16string(record.begin(), record.end()));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 4);  // the column names and 3 rows
    rvx.Close();
    EXPECT_EQ(RunRvxedit(L"undo " + Quoted(record)), 0u);
    for (const char16_t* name : {u"A1.RVX", u"B2.RVX", u"C3.RVX"}) {
        EXPECT_EQ(Read(name), original);
    }
    EXPECT_FALSE(Exists(u"P001.RVX") || Exists(u"P002.RVX") || Exists(u"P003.RVX"));
}

// A long log: rows show with their states while the rest are still checked, the window answers
// throughout, and Cancel stops the checking (closing the window) and the saving (after the
// group under way).
TEST_F(FieldLogTest, RowsShowAsTheyAreCheckedAndCancelIsHeard) {
    const std::string log = ManyRows(1000);
    Program rvx;
    rvx.Drop({MakeFile(u"many.csv", rawgen::Bytes(log.begin(), log.end()))});
    HWND window = rvx.WaitForPopup().hwnd;
    ASSERT_TRUE(PollUntil(kWaitMs, [&] { return ItemCount(window) > 0; }));
    const std::wstring status = ControlText(window, IDC_LOG_STATUS);
    EXPECT_LT(ItemCount(window), 1000) << Utf8(status);
    EXPECT_EQ(ListText(GetDlgItem(window, IDC_LOG_LIST), 0, 4), L"将保存");
    EXPECT_EQ(status.rfind(L"正在检查：", 0), 0u) << Utf8(status);
    EXPECT_TRUE(Answers(window));
    PostClick(window, IDCANCEL);
    ASSERT_TRUE(PollUntil(kWaitMs, [&] { return !IsWindow(window); }));

    rvx.Drop({PathOf(u"many.csv")});
    window = rvx.WaitForPopup().hwnd;
    ASSERT_TRUE(PollUntil(4 * kWaitMs, [&] {
        return IsWindowEnabled(GetDlgItem(window, IDC_LOG_SAVE_ALL));
    })) << Utf8(ControlText(window, IDC_LOG_STATUS));
    PostClick(window, IDC_LOG_SAVE_ALL);
    ASSERT_TRUE(PollUntil(4 * kWaitMs, [&] {
        const std::wstring text = ControlText(window, IDC_LOG_STATUS);
        return text.rfind(L"正在保存：", 0) == 0 && text.rfind(L"正在保存：0 /", 0) != 0;
    })) << Utf8(ControlText(window, IDC_LOG_STATUS));
    EXPECT_TRUE(Answers(window));
    PostClick(window, IDCANCEL);
    std::wstring done;
    ASSERT_TRUE(PollUntil(4 * kWaitMs, [&] {
        done = ControlText(window, IDC_LOG_STATUS);
        return done.rfind(L"已保存", 0) == 0;
    }));
    unsigned saved = 0;
    ASSERT_EQ(std::swscanf(done.c_str(), L"已保存%u个文件。", &saved), 1) << Utf8(done);
    EXPECT_EQ(done, L"已保存" + std::to_wstring(saved) +
                        L"个文件。已取消；再次拖入记录表即可完成其余文件。");
    EXPECT_TRUE(saved > 0 && saved < 1000 && saved % 64 == 0) << saved;
    int changed = 0;
    for (int i = 0; i < 1000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "R%04d.RVX", i);
        changed += Read(std::u16string(name, name + 9)).find("AntHigh:1.600") != std::string::npos;
    }
    EXPECT_EQ(changed, static_cast<int>(saved));
    EXPECT_EQ(ListText(GetDlgItem(window, IDC_LOG_LIST), 0, 4), L"已保存");
    EXPECT_EQ(ListText(GetDlgItem(window, IDC_LOG_LIST), 999, 4), L"将保存");
    rvx.Dismiss(ReadPopup(window), IDCANCEL);
}

// The columns fill the list at any width; a column the user widens keeps its width, the later
// ones share the rest, and the next window keeps those proportions.
TEST_F(FieldLogTest, ColumnsShareTheWidthAndKeepTheUsersWidths) {
    MakeFile(u"A1.RVX", rawgen::StandardFile("1.500"));
    Program rvx;
    const std::string log = "file,height\nA1.RVX,1.6\n";
    HWND window = DropLog(rvx, u"one.csv", log);
    std::vector<std::vector<int>> at;
    for (const int width : {700, 1100}) {
        SetWindowPos(window, nullptr, 0, 0, width, 400, SWP_NOZORDER | SWP_NOMOVE);
        ASSERT_TRUE(PollUntil(kWaitMs, [&] { return ColumnsFill(window); }))
            << width << ": " << ListWidth(window);
        at.push_back(ColumnWidths(window));
    }
    EXPECT_EQ(at[1][0], at[0][0]);  // the row column keeps its width
    for (int i = 1; i < 5; ++i) {
        EXPECT_GT(at[1][i], at[0][i]) << "column " << i;
    }

    // The user drags the divider after the file column 100 pixels to the right.
    const HWND header =
        reinterpret_cast<HWND>(SendMessageW(GetDlgItem(window, IDC_LOG_LIST), LVM_GETHEADER, 0, 0));
    RECT bar{};
    GetClientRect(header, &bar);
    const int x = at[1][0] + at[1][1];
    const int y = bar.bottom / 2;
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 50, y));
    PostMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 100, y));
    PostMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(x + 100, y));
    ASSERT_TRUE(PollUntil(
        kWaitMs, [&] { return ColumnsFill(window) && ColumnWidths(window)[1] == at[1][1] + 100; }))
        << ColumnWidths(window)[1] << " " << at[1][1] << " " << ListWidth(window);
    const std::vector<int> set = ColumnWidths(window);
    EXPECT_EQ(set[0], at[1][0]);
    EXPECT_LT(set[4], at[1][4]);
    rvx.Dismiss(ReadPopup(window), IDCANCEL);

    window = DropLog(rvx, u"one.csv", log);
    SetWindowPos(window, nullptr, 0, 0, 1100, 400, SWP_NOZORDER | SWP_NOMOVE);
    ASSERT_TRUE(PollUntil(kWaitMs, [&] { return ColumnsFill(window); }));
    const std::vector<int> again = ColumnWidths(window);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(again[i], set[i], 3) << "column " << i;
    }
    rvx.Dismiss(ReadPopup(window), IDCANCEL);
}

// Another encoding chosen reads the log again in it, and the window says which it used.
TEST_F(FieldLogTest, AnotherEncodingReadsTheLogAgain) {
    MakeFile(u"A1.RVX", rawgen::StandardFile("1.500"));
    Program rvx;
    HWND window = DropLog(rvx, u"utf8.csv", "file,point\nA1.RVX,\xE6\xB5\x8B\xE7\xAB\x99\n");
    EXPECT_EQ(ControlText(window, IDC_LOG_ENCODING_READ), L"已按UTF-8读取");
    EXPECT_EQ(ListText(GetDlgItem(window, IDC_LOG_LIST), 0, 2), L"A1 \u2192 \u6D4B\u7AD9");
    const HWND choice = GetDlgItem(window, IDC_LOG_ENCODING);
    SendMessageW(choice, CB_SETCURSEL, 5, 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LOG_ENCODING, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(choice));
    ASSERT_TRUE(PollUntil(kWaitMs, [&] {
        return ControlText(window, IDC_LOG_ENCODING_READ) == L"已按windows-1252读取" &&
               ItemCount(window) == 1 &&
               ListText(GetDlgItem(window, IDC_LOG_LIST), 0, 2) ==
                   L"A1 \u2192 \u00E6\u00B5\u2039\u00E7\u00AB\u2122";
    })) << Utf8(ControlText(window, IDC_LOG_ENCODING_READ));
    rvx.Dismiss(ReadPopup(window), IDCANCEL);
}

}  // namespace
}  // namespace e2e
