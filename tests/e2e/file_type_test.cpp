// The file type's registration where the classes root refuses it: the same keys go to the user's
// classes (a scratch key stands for them).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "file_type.h"

namespace {

constexpr wchar_t kScratch[] = L"Software\\RVXTOOL-file-type-test";

// Each value of the file type under `root` ("-" when absent; the "Open with" entry is empty).
std::vector<std::wstring> Registered(HKEY root) {
    std::vector<std::wstring> values;
    for (const auto& [key, name] : {std::pair<const wchar_t*, const wchar_t*>{L".RVX", nullptr},
                                    {L"RVXfile", nullptr},
                                    {L"RVXfile\\DefaultIcon", nullptr},
                                    {L"RVXfile\\Shell", nullptr},
                                    {L"RVXfile\\Shell\\RVXTOOL\\Command", nullptr},
                                    {L".RVX\\OpenWithProgids", L"RVXfile"}}) {
        wchar_t value[512] = {};
        DWORD bytes = sizeof value;
        const LONG rc = RegGetValueW(root, key, name, RRF_RT_ANY, nullptr, value, &bytes);
        values.push_back(rc == ERROR_SUCCESS ? value : L"-");
    }
    return values;
}

TEST(FileType, WhatTheClassesRootRefusesGoesToTheUsersClasses) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    HKEY user = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kScratch, &user), ERROR_SUCCESS);
    // A handle that is no key: every open, create and write under it fails.
    const HKEY refusing = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFFFFF0));
    RegisterRawFileTypeUnder(refusing, user, L"C:\\Tools\\RVXTOOL.exe");
    EXPECT_EQ(Registered(user),
              (std::vector<std::wstring>{L"RVXfile", L"RVX Document", L"C:\\Tools\\STATION.ico",
                                         L"RVXTOOL", L"\"C:\\Tools\\RVXTOOL.exe\" \"%1\"", L""}));
    RegCloseKey(user);
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
}

}  // namespace
