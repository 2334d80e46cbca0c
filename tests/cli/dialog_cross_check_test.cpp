// rvxedit set against the dialog's save: the same file and the same two field texts, once
// saved through RVXTOOL.exe and once through rvxedit.exe, must leave the same file names and
// the same bytes (or, when refused, leave everything as it was in both).
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "driver.h"
#include "raw_gen.h"

namespace {

constexpr int kPointName = 1000;
constexpr int kSave = 1002;
constexpr int kAntHeight = 1003;

std::wstring W(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

using Folder = std::map<std::wstring, rawgen::Bytes>;

// Every file in the folder, by name.
Folder Contents(const rawgen::TempDir& dir) {
    Folder files;
    WIN32_FIND_DATAW found;
    const HANDLE h = FindFirstFileW((W(dir.Folder()) + L"*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
        return files;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            const std::wstring name = found.cFileName;
            files[name] = rawgen::ReadFile(dir.Path(std::u16string(name.begin(), name.end())));
        }
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return files;
}

// The file names, for failure messages.
std::string Names(const Folder& files) {
    std::string names;
    for (const auto& file : files) {
        names += " " + e2e::Utf8(file.first);
    }
    return names;
}

// Runs rvxedit.exe with `arguments` and returns its exit status.
DWORD RunCli(const std::wstring& arguments) {
    const std::wstring exe = e2e::WindowsPathOf(RVX_CLI_UNIX_PATH);
    std::wstring commandLine = e2e::Quoted(exe) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        throw e2e::DriverError("cannot start rvxedit.exe");
    }
    CloseHandle(process.hThread);
    const DWORD waited = WaitForSingleObject(process.hProcess, e2e::kWaitMs);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hProcess);
    if (waited != WAIT_OBJECT_0) {
        throw e2e::DriverError("rvxedit.exe did not finish");
    }
    return status;
}

struct Case {
    std::u16string name;
    rawgen::Bytes bytes;
    std::u16string pointName;
    std::u16string height;
    std::u16string neighbour;  // another file in the folder, or empty
};

// Saves the case's file through the dialog; true when the save showed no message.
bool SaveWithDialog(const rawgen::TempDir& dir, const Case& c) {
    e2e::Program rvx(e2e::Quoted(W(dir.Path(c.name))));
    rvx.SetText(kPointName, W(c.pointName));
    rvx.SetText(kAntHeight, W(c.height));
    rvx.Click(kSave);
    rvx.Settle();
    const bool quiet = rvx.Popups().empty();
    if (!quiet) {
        rvx.TakePopup();
    }
    rvx.Close();
    return quiet;
}

void CrossCheck(const Case& c) {
    SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
    rawgen::TempDir viaDialog;
    rawgen::TempDir viaCli;
    for (const rawgen::TempDir* dir : {&viaDialog, &viaCli}) {
        rawgen::WriteFile(dir->Path(c.name), c.bytes);
        if (!c.neighbour.empty()) {
            rawgen::WriteFile(dir->Path(c.neighbour), rawgen::StandardFile("9.999", 100));
        }
    }
    const Folder before = Contents(viaCli);
    const bool dialogSaved = SaveWithDialog(viaDialog, c);
    const DWORD status =
        RunCli(L"set --point " + e2e::Quoted(W(c.pointName)) + L" --height " +
               e2e::Quoted(W(c.height)) + L" " + e2e::Quoted(W(viaCli.Path(c.name))));
    EXPECT_EQ(status == 0, dialogSaved);
    const Folder afterDialog = Contents(viaDialog);
    const Folder afterCli = Contents(viaCli);
    EXPECT_EQ(Names(afterDialog), Names(afterCli));
    EXPECT_TRUE(afterDialog == afterCli) << "the files' bytes differ";
    // A save changes the folder; a refusal leaves it exactly as it was.
    EXPECT_EQ(afterDialog == before, !dialogSaved);
}

rawgen::Bytes Lines(const std::vector<std::string>& lines, std::size_t dataSize) {
    return rawgen::MakeHeader(lines) + rawgen::ReceiverData(dataSize, 11);
}

TEST(DialogCrossCheck, SavesGiveTheSameNamesAndBytes) {
    const auto standard = rawgen::StandardFile("1.500", 2000);
    CrossCheck({u"ABCD0861.RVX", standard, u"EFGH", u"1.6", u""});
    CrossCheck({u"STATIONALPHA0861.RVX", standard, u"LONGNAME12", u"-1.5", u""});
    CrossCheck({u"A.RV", standard, u"P", u"2", u""});
    CrossCheck({u"测站0861.RVX", standard, u"站点", u"1.2345", u""});
    // No title line, no model line, shorter than the block.
    CrossCheck({u"WXYZ0861.RVX",
                "ver 3\r\nReceiverID:AB-1234\r\nDate:2026-01-02\r\nAntHigh:0.5\r\n", u"WXYZ",
                u" 0.0004 ", u""});
    CrossCheck({u"LONG0861.RVX",
                Lines({"ver 2.0", "ReceiverID:A1", "Date:x", "Model:" + std::string(100, 'M'),
                       "AntHigh:1"},
                      500),
                u"LONG", u"1.25", u""});
}

TEST(DialogCrossCheck, RefusalsLeaveTheSameUntouchedFiles) {
    const auto standard = rawgen::StandardFile("1.500", 2000);
    CrossCheck({u"ABCD0861.RVX", standard, u"EFGH", u"1,5", u""});
    CrossCheck({u"ABCD0861.RVX", standard, u"EF:GH", u"1.6", u""});
    CrossCheck({u"ABCD0861.RVX", standard, u"EFGH", u"1.6", u"EFGH0861.RVX"});
    CrossCheck({u"ABCD0861.RVX",
                Lines({"ver 2.0", "ReceiverID:A1", "Date:x", "Model:" + std::string(140, 'M'),
                       "AntHigh:1"},
                      500),
                u"ABCD", u"1.6", u""});
}

}  // namespace
