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
    return MsiGetProductInfoW(code.c_str(), property, value, &size) == ERROR_SUCCESS ? value : L"-";
}

// The classes the file type belongs in for the install scope the script names.
HKEY ScopeClasses(HKEY* opened) {
    const HKEY root =
        Env("RVX_INSTALL_SCOPE") == L"machine" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    *opened = nullptr;
    RegOpenKeyExW(root, L"Software\\Classes", 0, KEY_READ, opened);
    return *opened;
}

// The Start-menu shortcut of the scope's install (Wine puts a per-machine one in the user's
// menu too), or empty when there is none.
std::wstring StartMenuShortcut() {
    for (const int id : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        wchar_t folder[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, id, nullptr, 0, folder);
        const std::wstring path = std::wstring(folder) + L"\\RVXTOOL.lnk";
        if (std::filesystem::exists(path)) {
            return path;
        }
    }
    return L"";
}

// After the installs: one product of this package, at the version built, its files, the file
// type in the scope's classes, the Start-menu shortcut, and (RVX_OPEN_RAW_FILE=1) a raw file
// opened by its file type.
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
    const std::vector<std::wstring> type = RegisteredFileType(classes);
    EXPECT_EQ(type, (std::vector<std::wstring>{L"RVXfile", L"RVX Document", folder + L"STATION.ico",
                                               L"RVXTOOL", L"\"" + folder + L"RVXTOOL.exe\" \"%1\"",
                                               L""}));
    RegCloseKey(classes);
    EXPECT_NE(StartMenuShortcut(), L"") << "no Start-menu shortcut";

    if (Env("RVX_OPEN_RAW_FILE") != L"1") {
        return;
    }
    rawgen::TempDir dir;
    const std::wstring file = W(dir.Folder()) + L"ABCD0861.RVX";
    std::filesystem::copy_file(WindowsPathOf(RVX_SAMPLE_FILE), file);
    // What the shell runs on a double-click: the type's command with the file for %1 (Wine's
    // shell does not look in the user's own classes, so the test runs it as the shell would).
    std::wstring command = type[4];
    const std::size_t arg = command.find(L"%1");
    ASSERT_NE(arg, std::wstring::npos) << Utf8(command);
    command.replace(arg, 2, file);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << GetLastError();
    CloseHandle(process.hThread);
    struct {
        HANDLE hProcess;
    } info = {process.hProcess};
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
    // Once the program has run, the keys it writes itself at each start stay (under Wine the
    // removal leaves them); the package's own are checked where it did not run.
    if (Env("RVX_OPEN_RAW_FILE") != L"1") {
        const std::vector<std::wstring> type = RegisteredFileType(classes);
        EXPECT_EQ(type, std::vector<std::wstring>(6, L"-"));
    }
    RegCloseKey(classes);
    EXPECT_EQ(Utf8(StartMenuShortcut()), "") << "the Start-menu shortcut is left";
}

}  // namespace
}  // namespace e2e
