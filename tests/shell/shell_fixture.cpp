#include "shell_fixture.h"

#include <filesystem>

#include "driver.h"
#include "gtest/gtest.h"

namespace fs = std::filesystem;

namespace shell_test {

namespace {

std::wstring TestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    return std::wstring(name.begin(), name.end());
}

void Copy(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
        throw e2e::DriverError("cannot copy " + e2e::Utf8(from) + " to " + e2e::Utf8(to));
    }
}

}  // namespace

std::wstring ScratchFolder(const std::wstring& sub) {
    // The test's own folder is emptied the first time the test asks for it.
    static std::wstring cleared;
    const std::wstring root = e2e::WindowsPathOf(RVX_SHELL_SCRATCH) + L"\\" + TestName();
    std::error_code ignored;
    if (cleared != root) {
        fs::remove_all(root, ignored);
        cleared = root;
    }
    const std::wstring folder = sub.empty() ? root : root + L"\\" + sub;
    fs::create_directories(folder, ignored);
    if (!fs::is_directory(folder)) {
        throw e2e::DriverError("cannot make the folder " + e2e::Utf8(folder));
    }
    return folder + L"\\";
}

std::wstring InstallProgram(const std::wstring& folder, Library library) {
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    const std::wstring from = e2e::ProgramFolder();
    Copy(from + L"RVXTOOL.exe", folder + L"RVXTOOL.exe");
    Copy(from + L"STATION.ico", folder + L"STATION.ico");
    if (library == Library::kWith) {
        CopyLibrary(folder);
    }
    return folder + L"RVXTOOL.exe";
}

void CopyLibrary(const std::wstring& folder) {
    Copy(e2e::ProgramFolder() + L"LangDll.dll", folder + L"LangDll.dll");
}

std::wstring CopySample(const std::wstring& folder, const std::wstring& name) {
    Copy(e2e::WindowsPathOf(RVX_SAMPLE_FILE), folder + name);
    return folder + name;
}

void ForgetFileType() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".RVX");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L".RVX");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"RVXfile");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"RVXfile");
}

RegValue ReadClassDefault(const std::wstring& key) {
    RegValue v;
    wchar_t buffer[2048] = {};
    v.bytes = sizeof buffer - sizeof(wchar_t);
    v.status = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_ANY | RRF_NOEXPAND,
                            &v.type, buffer, &v.bytes);
    if (v.status == ERROR_SUCCESS) {
        v.text.assign(buffer);
    } else {
        v.bytes = 0;
    }
    return v;
}

std::string ReadClassDefaultBytes(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return "<no key>";
    }
    char buffer[256] = {};
    DWORD bytes = sizeof buffer;
    const LONG status = RegQueryValueExA(handle, nullptr, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS ? std::string(buffer, bytes) : "<no value>";
}

void StartAndClose(const std::wstring& exe, const std::wstring& arguments) {
    e2e::Program program(arguments, exe);
    program.Close();
}

}  // namespace shell_test
