// The framework layer's parts that need no window: the command line and the profile.
#include <gtest/gtest.h>

#include "win_app.h"

namespace {

TEST(FirstFileParameterTest, TakesTheFirstNonOptionWithQuotedBlanksWhole) {
    struct Case {
        const wchar_t* commandLine;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"", L""},
        {L"D:\\obs\\ABCD0861.RVX", L"D:\\obs\\ABCD0861.RVX"},
        {L"\"D:\\my obs\\AB CD.RVX\"", L"D:\\my obs\\AB CD.RVX"},
        {L"-dde /p \"C:\\a b.RVX\" second.RVX", L"C:\\a b.RVX"},
        {L"/x -y", L""},
        {L"  first.RVX   ", L"first.RVX"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FirstFileParameter(c.commandLine), c.expected)
            << "command line: " << c.commandLine;
    }
}

// An application that ends at once, so Run only does the framework's part of the start.
class QuickApp : public CWinApp {
public:
    BOOL InitInstance() override { return FALSE; }
};

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\FrameworkTest"); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\FrameworkTest"); }
};

TEST_F(ProfileTest, ValuesLiveAsDwordsUnderKeyAppAndSection) {
    QuickApp app;
    app.Run(nullptr, L"");  // names the application after this test program
    app.SetRegistryKey(L"FrameworkTest");
    EXPECT_EQ(app.GetProfileInt(L"RVXINI", L"UI", 1), 1u);
    ASSERT_TRUE(app.WriteProfileInt(L"RVXINI", L"UI", 0));
    EXPECT_EQ(app.GetProfileInt(L"RVXINI", L"UI", 1), 0u);

    const std::wstring key = L"Software\\FrameworkTest\\" + app.AppName() + L"\\RVXINI";
    DWORD type = 0;
    DWORD value = 99;
    DWORD size = sizeof(value);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"UI", RRF_RT_ANY, &type, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 0u);

    // A value of another type is not a number: the default comes back.
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"UI", REG_SZ, L"1", 2 * sizeof(wchar_t));
    EXPECT_EQ(app.GetProfileInt(L"RVXINI", L"UI", 7), 7u);
}

}  // namespace
