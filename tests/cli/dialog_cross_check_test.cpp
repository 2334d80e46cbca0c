// rvxedit set against the dialog's save: the same file and the same two field texts, saved once
// through RVXTOOL.exe and once through rvxedit.exe, must leave the same names and bytes (or,
// when refused, leave everything as it was in both).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "driver.h"

namespace {

using e2e::Quoted;
using e2e::W;

// Every file in the folder, by name.
std::map<std::wstring, rawgen::Bytes> Contents(const rawgen::TempDir& dir) {
    std::map<std::wstring, rawgen::Bytes> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Folder())) {
        files[entry.path().filename().wstring()] = rawgen::ReadFile(entry.path().u16string());
    }
    return files;
}

TEST(DialogCrossCheck, SavesAndRefusalsGiveTheSameNamesAndBytes) {
    const auto standard = rawgen::StandardFile("1.500", 2000);
    const struct {
        std::u16string name;
        rawgen::Bytes bytes;
        std::u16string pointName, height;
        bool saves;
    } cases[] = {
        {u"测站0861.RVX", standard, u"站点", u"1.2345", true},
        {u"ABCD0861.RVX", standard, u"EFGH", u"1,5", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(e2e::Utf8(W(c.name + u" " + c.pointName + u" " + c.height)));
        rawgen::TempDir viaDialog, viaCli;
        rawgen::WriteFile(viaDialog.Path(c.name), c.bytes);
        rawgen::WriteFile(viaCli.Path(c.name), c.bytes);
        const auto before = Contents(viaCli);

        e2e::Program rvx(Quoted(W(viaDialog.Path(c.name))));
        rvx.EditAndSave(W(c.pointName), W(c.height));
        bool dialogSaved = true;
        try {
            rvx.ExpectNoPopup();
        } catch (const e2e::DriverError&) {
            dialogSaved = false;
            rvx.TakePopup();
        }
        rvx.Close();

        e2e::Program cli(L"set --point " + Quoted(W(c.pointName)) + L" --height " +
                             Quoted(W(c.height)) + L" " + Quoted(W(viaCli.Path(c.name))),
                         e2e::WindowsPathOf(RVX_CLI_UNIX_PATH), L"", false);
        ASSERT_TRUE(cli.WaitForExit());
        EXPECT_EQ(dialogSaved, c.saves);
        EXPECT_EQ(cli.ExitCode() == 0, c.saves);
        EXPECT_TRUE(Contents(viaDialog) == Contents(viaCli)) << "names or bytes differ";
        EXPECT_EQ(Contents(viaDialog) == before, !dialogSaved);
    }
}

}  // namespace
