// The path on the command line: quoted paths arrive whole, options are not paths.
#include <windows.h>

#include <string>

#include "driver.h"
#include "gtest/gtest.h"
#include "resource.h"
#include "shell_fixture.h"

namespace shell_test {
namespace {

struct Shown {
    std::string pointName;
    std::string path;
};

Shown StartWith(const std::wstring& exe, const std::wstring& arguments) {
    e2e::Program program(arguments, exe);
    program.ExpectNoPopup();
    Shown shown{e2e::Utf8(program.Text(IDC_POINT_NAME)), e2e::Utf8(program.Text(IDC_PATH))};
    program.Close();
    return shown;
}

TEST(CommandLine, AQuotedPathWithBlanksArrivesWhole) {
    const std::wstring exe = InstallProgram(ScratchFolder(L"program"), Library::kWithout);
    const std::wstring file = CopySample(ScratchFolder(L"survey 2026  day 86"));
    const Shown shown = StartWith(exe, e2e::Quoted(file));
    EXPECT_EQ(shown.pointName, "ABCD");
    EXPECT_EQ(shown.path, e2e::Utf8(file));
}

TEST(CommandLine, OptionsBeforeThePathAreNotTakenForIt) {
    const std::wstring exe = InstallProgram(ScratchFolder(L"program"), Library::kWithout);
    const std::wstring file = CopySample(ScratchFolder(L"data"));
    const Shown shown = StartWith(exe, L"-x /dde " + e2e::Quoted(file) + L" /y");
    EXPECT_EQ(shown.pointName, "ABCD");
    EXPECT_EQ(shown.path, e2e::Utf8(file));

    const Shown none = StartWith(exe, L"/p -Z:\\data\\ABCD0861.RVX");
    EXPECT_EQ(none.pointName, "");
    EXPECT_EQ(none.path, "") << "an option was loaded as the path";
}

}  // namespace
}  // namespace shell_test
