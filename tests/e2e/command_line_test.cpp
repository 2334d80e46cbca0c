// The program's own split of its command line against the system's (CommandLineToArgvW): the file
// parameter it takes must be the one the system's split gives, whatever the quotes and
// backslashes.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include "win_app.h"

TEST(CommandLine, TheFileParameterIsTheOneTheSystemsSplitGives) {
    for (const wchar_t* line :
         {L"", L" \t ", L"D:\\obs\\ABCD0861.RVX", L"\"D:\\survey 2026  day 86\\ABCD0861.RVX\"",
          L"-x /dde \"C:\\a b\\c.RVX\" /y", L"/p -Z:\\data\\A.RVX", L"\"\" x", L"a\\\\\"b c\" d",
          L"a\\\\\\\"b c", L"\"a\"\"b\"\"\"c d", L"\"\"\"\"\"\" x", L"a\\b\\\\ c",
          L"\"unclosed path", L"\t\"x\"y\"z w\"", L"\"C:\\dir\\\\\" e",
          L"-\"a b\" \"c\"\"\"\"d\""}) {
        const std::wstring full = std::wstring(L"x ") + line;  // the first word is the program
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(full.c_str(), &count);
        std::wstring expected;
        for (int i = 1; i < count; ++i) {
            if (args[i][0] != L'-' && args[i][0] != L'/') {
                expected = args[i];
                break;
            }
        }
        LocalFree(args);
        EXPECT_EQ(FirstFileParameter(line), expected) << testing::PrintToString(std::wstring(line));
    }
}
