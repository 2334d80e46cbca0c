#include "win_app.h"

#include <shellapi.h>

#include <vector>

namespace {

CWinApp* g_app = nullptr;

std::wstring ModuleBaseName() {
    const std::wstring path = AfxGetModuleFilePath();
    std::wstring name = path.substr(FolderOfPath(path).size());
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

}  // namespace

std::wstring AfxGetModuleFilePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return std::wstring();
        }
        if (n < buffer.size()) {
            return std::wstring(buffer.data(), n);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FolderOfPath(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring FullPathOf(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                         buffer.data(), nullptr);
        if (n == 0) {
            return path;
        }
        if (n < buffer.size()) {
            return std::wstring(buffer.data(), n);
        }
        buffer.resize(n);  // n counts the terminator when the buffer was too small
    }
}

std::wstring AfxGetModuleFolder() {
    return FolderOfPath(AfxGetModuleFilePath());
}

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

void CWinApp::SetRegistryKey(const wchar_t* key) {
    registryKey_ = key;
}

std::wstring CWinApp::ProfileKeyPath(const wchar_t* section) const {
    return L"Software\\" + registryKey_ + L"\\" + appName_ + L"\\" + section;
}

UINT CWinApp::GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const {
    if (registryKey_.empty()) {
        return static_cast<UINT>(defaultValue);
    }
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, ProfileKeyPath(section).c_str(), entry, RRF_RT_REG_DWORD,
                     nullptr, &value, &size) != ERROR_SUCCESS) {
        return static_cast<UINT>(defaultValue);
    }
    return value;
}

BOOL CWinApp::WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) {
    if (registryKey_.empty()) {
        return FALSE;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ProfileKeyPath(section).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return FALSE;
    }
    const DWORD data = static_cast<DWORD>(value);
    const LONG rc = RegSetValueExW(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                   sizeof(data));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

int CWinApp::Run(HINSTANCE, const wchar_t* commandLine) {
    appName_ = ModuleBaseName();
    commandLine_ = commandLine != nullptr ? commandLine : L"";
    if (InitInstance()) {
        // The programs built on this layer run everything inside modal dialogs; a program that
        // keeps running after InitInstance pumps messages until its windows post WM_QUIT.
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() {
    return g_app;
}

std::wstring AfxGetAppName() {
    return g_app != nullptr ? g_app->AppName() : std::wstring();
}

std::wstring FirstFileParameter(const wchar_t* commandLine) {
    if (commandLine == nullptr || *commandLine == L'\0') {
        return std::wstring();
    }
    // CommandLineToArgvW takes its first word as the program's name, so give it one.
    const std::wstring full = std::wstring(L"x ") + commandLine;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(full.c_str(), &count);
    if (args == nullptr) {
        return std::wstring();
    }
    std::wstring found;
    for (int i = 1; i < count; ++i) {
        if (args[i][0] != L'-' && args[i][0] != L'/') {
            found = args[i];
            break;
        }
    }
    LocalFree(args);
    return found;
}
