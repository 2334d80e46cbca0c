// The file type's registration where the classes root refuses it: the same keys go to the user's
// classes (a scratch key stands for them).
#include "file_type.h"
#include "driver.h"

namespace {

constexpr wchar_t kScratch[] = L"Software\\RVXTOOL-file-type-test";

TEST(FileType, WhatTheClassesRootRefusesGoesToTheUsersClasses) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    HKEY user = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kScratch, &user), ERROR_SUCCESS);
    // A handle that is no key: every open, create and write under it fails.
    const HKEY refusing = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFFFFF0));
    RegisterRawFileTypeUnder(refusing, user, L"C:\\Tools\\RVXTOOL.exe");
    EXPECT_EQ(e2e::RegisteredFileType(user),
              (std::vector<std::wstring>{L"RVXfile", L"RVX Document", L"C:\\Tools\\STATION.ico",
                                         L"RVXTOOL", L"\"C:\\Tools\\RVXTOOL.exe\" \"%1\"", L""}));
    RegCloseKey(user);
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
}

}  // namespace
