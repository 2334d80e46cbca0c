// The file type's registration where the classes root refuses it and where it takes it, in
// scratch keys standing for HKEY_CLASSES_ROOT and the user's classes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "file_type.h"

namespace {

constexpr wchar_t kScratch[] = L"Software\\RVXTOOL-file-type-test";

HKEY ScratchKey(const std::wstring& name) {
    HKEY key = nullptr;
    RegCreateKeyW(HKEY_CURRENT_USER, (kScratch + (L"\\" + name)).c_str(), &key);
    return key;
}

// The default value of each key of the file type under `root`, then the "Open with" entry's
// type; "-" for each that is absent.
std::vector<std::wstring> Registered(HKEY root) {
    std::vector<std::wstring> values;
    for (const wchar_t* key : {L".RVX", L"RVXfile", L"RVXfile\\DefaultIcon", L"RVXfile\\Shell",
                               L"RVXfile\\Shell\\RVXTOOL\\Command"}) {
        wchar_t value[512] = L"-";
        DWORD bytes = sizeof value;
        RegGetValueW(root, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes);
        values.push_back(value);
    }
    DWORD type = 0;
    const LONG listed = RegGetValueW(root, L".RVX\\OpenWithProgids", L"RVXfile", RRF_RT_ANY, &type,
                                     nullptr, nullptr);
    values.push_back(listed == ERROR_SUCCESS && type == REG_NONE ? L"listed" : L"-");
    return values;
}

TEST(FileType, WhatTheClassesRootRefusesGoesToTheUsersClasses) {
    const std::vector<std::wstring> written = {L"RVXfile",
                                               L"RVX Document",
                                               L"C:\\Tools\\STATION.ico",
                                               L"RVXTOOL",
                                               L"\"C:\\Tools\\RVXTOOL.exe\" \"%1\"",
                                               L"listed"};
    const std::vector<std::wstring> none(6, L"-");
    // A handle that is no key: every open, create and write under it fails.
    const HKEY refusing = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFFFFF0));
    for (const bool refused : {true, false}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        const HKEY machine = ScratchKey(L"machine");
        const HKEY user = ScratchKey(L"user");
        RegisterRawFileTypeUnder(refused ? refusing : machine, user, L"C:\\Tools\\RVXTOOL.exe");
        EXPECT_EQ(Registered(machine), refused ? none : written) << refused;
        EXPECT_EQ(Registered(user), refused ? written : none) << refused;
        RegCloseKey(machine);
        RegCloseKey(user);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
}

}  // namespace
