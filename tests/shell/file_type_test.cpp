// The file-type registration for a program whose path is unknown, which a start of the program
// cannot show. A scratch key stands in for HKEY_CLASSES_ROOT.
#include <windows.h>

#include <string>

#include "file_type.h"
#include "gtest/gtest.h"

namespace {

const wchar_t kScratch[] = L"Software\\RVXTOOL-tests\\classes";
const wchar_t kIcon[] = L"C:\\Old\\STATION.ico";
const wchar_t kCommand[] = L"\"C:\\Old\\RVXTOOL.exe\" \"%1\"";

class FileTypeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &classes_, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_), ERROR_SUCCESS);
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegCloseKey(classes_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }

    // The default value of `key`, or "<none>".
    std::wstring Read(const wchar_t* key) const {
        wchar_t buffer[1024] = {};
        DWORD bytes = sizeof buffer;
        return RegGetValueW(classes_, key, nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) ==
                       ERROR_SUCCESS
                   ? buffer
                   : L"<none>";
    }
    void Write(const wchar_t* key, const wchar_t* text) {
        RegSetKeyValueW(classes_, key, nullptr, REG_SZ, text,
                        static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }

    HKEY classes_ = nullptr;
};

TEST_F(FileTypeTest, UnknownProgramPathLeavesIconAndCommandAsTheyWere) {
    Write(L"RVXfile\\DefaultIcon", kIcon);
    Write(L"RVXfile\\Shell\\RVXTOOL\\Command", kCommand);
    EXPECT_EQ(WriteProgIdKeys(L""), 1);
    EXPECT_EQ(Read(L"RVXfile"), L"RVX Document");
    EXPECT_EQ(Read(L"RVXfile\\Shell"), L"RVXTOOL");
    EXPECT_EQ(Read(L"RVXfile\\DefaultIcon"), kIcon);
    EXPECT_EQ(Read(L"RVXfile\\Shell\\RVXTOOL\\Command"), kCommand);
}

}  // namespace
