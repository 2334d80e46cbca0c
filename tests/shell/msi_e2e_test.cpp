// The Windows Installer package as an office deploys it, under Wine: run by msi_test.sh between
// the installs and removals it makes, each case checking what one step left on the machine.
#include <windows.h>

#include <msi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "driver.h"

namespace e2e {
namespace {

const wchar_t kUpgradeCode[] = L"{6B1C2B4E-1E33-4F0B-9C84-7A0E2B1D5C21}";
// The component that holds the program; its key path is RVXTOOL.exe.
const wchar_t kProgramComponent[] = L"{0E7D4A8B-3C7F-4D55-8E0A-1B6C1F3A9D01}";

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring Env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::wstring() : W(std::u16string(value, value + std::strlen(value)));
}

// The installed products of this package.
std::vector<std::wstring> Products() {
    std::vector<std::wstring> codes;
    wchar_t code[39] = {};
    for (DWORD i = 0; MsiEnumRelatedProductsW(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i) {
        codes.push_back(code);
    }
    return codes;
}

std::wstring ProductInfo(const std::wstring& code, const wchar_t* property) {
    wchar_t value[512] = {};
    DWORD size = 512;
    return MsiGetProductInfoW(code.c_str(), property, value, &size) == ERROR_SUCCESS ? value
                                                                                     : L"-";
}

// The classes the file type belongs in for the install scope the script names.
HKEY ScopeClasses(HKEY* opened) {
    const HKEY root = Env("RVX_INSTALL_SCOPE") == L"machine" ? HKEY_LOCAL_MACHINE
                                                             : HKEY_CURRENT_USER;
    *opened = nullptr;
    RegOpenKeyExW(root, L"Software\\Classes", 0, KEY_READ, opened);
    return *opened;
}

std::wstring StartMenuShortcut() {
    wchar_t folder[MAX_PATH] = {};
    const int id = Env("RVX_INSTALL_SCOPE") == L"machine" ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    SHGetFolderPathW(nullptr, id, nullptr, 0, folder);
    return std::wstring(folder) + L"\\RVXTOOL.lnk";
}

// After the installs: one product of this package, at the version built, its files, the file
// type in the scope's classes, the Start-menu shortcut, and a raw file opened by its file type.
TEST(Installed, OneVersionWithItsFileTypeOpensRawFiles) {
    const std::vector<std::wstring> products = Products();
    ASSERT_EQ(products.size(), 1u) << "an older version was not replaced";
    EXPECT_EQ(Utf8(ProductInfo(products[0], INSTALLPROPERTY_VERSIONSTRING)),
              Utf8(Env("RVX_EXPECTED_VERSION")));
    EXPECT_EQ(Utf8(ProductInfo(products[0], INSTALLPROPERTY_INSTALLEDPRODUCTNAME)), "RVXTOOL");

    wchar_t exe[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    ASSERT_EQ(MsiGetComponentPathW(products[0].c_str(), kProgramComponent, exe, &size),
              INSTALLSTATE_LOCAL);
    const std::wstring folder = FolderOf(exe);
    for (const wchar_t* name : {L"RVXTOOL.exe", L"LangDll.dll", L"STATION.ico", L"rvxedit.exe"}) {
        EXPECT_TRUE(std::filesystem::exists(folder + name)) << Utf8(folder + name);
    }
    HKEY classes = nullptr;
    ASSERT_NE(ScopeClasses(&classes), nullptr);
    EXPECT_EQ(RegisteredFileType(classes),
              (std::vector<std::wstring>{L"RVXfile", L"RVX Document", folder + L"STATION.ico",
                                         L"RVXTOOL", L"\"" + folder + L"RVXTOOL.exe\" \"%1\"",
                                         L""}));
    RegCloseKey(classes);
    EXPECT_TRUE(std::filesystem::exists(StartMenuShortcut())) << Utf8(StartMenuShortcut());

    rawgen::TempDir dir;
    const std::wstring file = W(dir.Folder()) + L"ABCD0861.RVX";
    std::filesystem::copy_file(WindowsPathOf(RVX_SAMPLE_FILE), file);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    ASSERT_TRUE(ShellExecuteExW(&info) && info.hProcess != nullptr) << GetLastError();
    const HWND dialog = WaitForAnyWindow(L"#32770", L"RVXTOOL", kWaitMs);
    ASSERT_NE(dialog, nullptr) << "no dialog";
    EXPECT_EQ(TipText(dialog, IDC_PATH), file);
    wchar_t started[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    QueryFullProcessImageNameW(info.hProcess, 0, started, &length);
    EXPECT_EQ(Utf8(started), Utf8(exe)) << "the shell started another copy of the program";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, kWaitMs), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
}

// After the removal: no product, no key and no shortcut of the package (the script checks the
// files).
TEST(Installed, RemovalLeavesNothingOfThePackage) {
    EXPECT_TRUE(Products().empty());
    HKEY classes = nullptr;
    ASSERT_NE(ScopeClasses(&classes), nullptr);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(classes, L"RVXfile", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_NE(RegOpenKeyExW(classes, L".RVX", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(classes);
    EXPECT_FALSE(std::filesystem::exists(StartMenuShortcut()));
}

}  // namespace
}  // namespace e2e
