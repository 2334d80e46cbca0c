// rvxedit set against the dialog's save: the same file and the same two field texts, once
// saved through RVXTOOL.exe and once through rvxedit.exe, must leave the same file names and
// the same bytes (or, when refused, leave everything as it was in both).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <map>
#include <string>

#include "driver.h"

namespace {

using e2e::Quoted;
using e2e::W;
using Folder = std::map<std::wstring, rawgen::Bytes>;

// Every file in the folder, by name.
Folder Contents(const rawgen::TempDir& dir) {
    Folder files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Folder())) {
        files[entry.path().filename().wstring()] = rawgen::ReadFile(entry.path().u16string());
    }
    return files;
}

std::string Names(const Folder& files) {
    std::string names;
    for (const auto& file : files) {
        names += " " + e2e::Utf8(file.first);
    }
    return names;
}

// Runs rvxedit.exe with `arguments` and returns its exit status.
DWORD RunCli(const std::wstring& arguments) {
    e2e::Program cli(arguments, e2e::WindowsPathOf(RVX_CLI_UNIX_PATH), L"", false);
    return cli.WaitForExit() ? cli.ExitCode() : 99;
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
    e2e::Program rvx(Quoted(W(dir.Path(c.name))));
    rvx.EditAndSave(W(c.pointName), W(c.height));
    rvx.Settle();
    const bool quiet = rvx.Popups().empty();
    if (!quiet) {
        rvx.TakePopup();
    }
    rvx.Close();
    return quiet;
}

void CrossCheck(const Case& c) {
    SCOPED_TRACE(e2e::Utf8(W(c.name + u" " + c.pointName + u" " + c.height)));
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
    const DWORD status = RunCli(L"set --point " + Quoted(W(c.pointName)) + L" --height " +
                                Quoted(W(c.height)) + L" " + Quoted(W(viaCli.Path(c.name))));
    EXPECT_EQ(status == 0, dialogSaved);
    const Folder afterDialog = Contents(viaDialog);
    const Folder afterCli = Contents(viaCli);
    EXPECT_EQ(Names(afterDialog), Names(afterCli));
    EXPECT_TRUE(afterDialog == afterCli) << "the files' bytes differ";
    // A save changes the folder; a refusal leaves it exactly as it was.
    EXPECT_EQ(afterDialog == before, !dialogSaved);
}

rawgen::Bytes WithModel(std::size_t length) {
    return rawgen::MakeHeader({"ver 2.0", "ReceiverID:A1", "Date:x",
                               "Model:" + std::string(length, 'M'), "AntHigh:1"}) +
           rawgen::ReceiverData(500, 11);
}

TEST(DialogCrossCheck, SavesAndRefusalsGiveTheSameNamesAndBytes) {
    const auto standard = rawgen::StandardFile("1.500", 2000);
    const Case cases[] = {
        {u"STATIONALPHA0861.RVX", standard, u"LONGNAME12", u"-1.5", u""},
        {u"测站0861.RVX", standard, u"站点", u"1.2345", u""},
        // No title line, no model line, shorter than the block.
        {u"WXYZ0861.RVX", "ver 3\r\nReceiverID:AB-1234\r\nDate:2026-01-02\r\nAntHigh:0.5\r\n",
         u"WXYZ", u" 0.0004 ", u""},
        {u"LONG0861.RVX", WithModel(100), u"LONG", u"1.25", u""},
        {u"ABCD0861.RVX", standard, u"EFGH", u"1,5", u""},
        {u"ABCD0861.RVX", standard, u"EFGH", u"1.6", u"EFGH0861.RVX"},
        {u"ABCD0861.RVX", WithModel(140), u"ABCD", u"1.6", u""},
    };
    for (const Case& c : cases) {
        CrossCheck(c);
    }
}

}  // namespace
