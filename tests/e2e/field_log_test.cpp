// The field-log window as a user meets it: a log with a refused row saves nothing; the corrected
// log saves every file, the editor follows its file to the new name, and rvxedit undo on the
// change record the window wrote puts every file back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

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
    std::vector<std::wstring> States(HWND window) const {
        std::vector<std::wstring> states;
        for (int row = 0; row < 3; ++row) {
            states.push_back(ListText(GetDlgItem(window, IDC_LOG_LIST), row, 4));
        }
        return states;
    }
};

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
    HWND window = DropLog(rvx, u"bad.csv", head + "C3.RVX,P001,1.7,\n");
    EXPECT_EQ(States(window),
              (std::vector<std::wstring>{L"将保存", L"将保存", L"与第2行的新文件名相同"}));
    EXPECT_EQ(ListText(GetDlgItem(window, IDC_LOG_LIST), 0, 3),
              L"1.500 \u2192 1.603 (2个读数，相差0.002米)");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_LOG_SAVE_ALL)));
    EXPECT_EQ(SendMessageW(GetDlgItem(window, IDC_LOG_LIST), LVM_GETNEXTITEM,
                           static_cast<WPARAM>(-1), LVNI_SELECTED),
              2);
    EXPECT_EQ(ControlText(window, IDC_LOG_STATUS),
              L"有1行有问题，不能保存。请改正记录表后再拖入。");
    rvx.Dismiss(ReadPopup(window), IDCANCEL);
    EXPECT_EQ(Read(u"A1.RVX"), original);

    window = DropLog(rvx, u"good.csv", head + "C3.RVX,P003,1.7,\n");
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_LOG_SAVE_ALL)));
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

}  // namespace
}  // namespace e2e
