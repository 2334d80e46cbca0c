// The editor dialog as a user meets it: start-up, loading, import, view, language, About, exit.
#include <gtest/gtest.h>

#include "e2e_files.h"

namespace e2e {
namespace {

constexpr int kPointName = 1000;
constexpr int kImport = 1001;
constexpr int kAntHeight = 1003;
constexpr int kPath = 1005;

using StartTest = DialogTest;

TEST_F(StartTest, GoodFileShowsItsValues) {
    const std::wstring path = MakeFile(u"ABCD0861.RVX", StandardRawFile("1.5"));
    Program rvx(Quoted(path));
    EXPECT_EQ(rvx.Text(kPath), path);
    EXPECT_EQ(rvx.Text(kPointName), L"ABCD");
    EXPECT_EQ(rvx.Text(kAntHeight), L"1.500");
    rvx.ExpectNoPopup();
    rvx.Close();
}

}  // namespace
}  // namespace e2e
