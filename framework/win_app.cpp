#include "win_app.h"

#include <vector>

namespace {

CWinApp* g_app = nullptr;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Reads the argument that starts at *p (not a blank) and moves *p past it, split as the system
// splits a command line (CommandLineToArgvW, which would load shell32 and, under Wine, two more
// libraries at every start): blanks outside double quotes end it; a quote after 2n backslashes
// leaves n of them and opens or closes a quoted part, after 2n+1 it leaves n and is taken
// literally; other backslashes stand for themselves; in a run of quotes every third one, the
// opening quote counted, is taken literally.
std::wstring NextArgument(const wchar_t** p) {
    std::wstring argument;
    int quotes = 0;           // 1 inside a quoted part
    std::size_t slashes = 0;  // backslashes just taken
    const wchar_t* s = *p;
    while (*s != L'\0' && (quotes != 0 || !IsBlank(*s))) {
        if (*s != L'"') {
            slashes = *s == L'\\' ? slashes + 1 : 0;
            argument += *s++;
            continue;
        }
        argument.resize(argument.size() - (slashes + 1) / 2);
        if (slashes % 2 == 1) {
            argument += L'"';
        } else {
            ++quotes;
        }
        slashes = 0;
        for (++s; *s == L'"'; ++s) {
            if (++quotes == 3) {
                argument += L'"';
                quotes = 0;
            }
        }
        if (quotes == 2) {
            quotes = 0;
        }
    }
    *p = s;
    return argument;
}

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
    const wchar_t* p = commandLine != nullptr ? commandLine : L"";
    for (;;) {
        while (IsBlank(*p)) {
            ++p;
        }
        if (*p == L'\0') {
            return std::wstring();
        }
        const std::wstring argument = NextArgument(&p);
        if (argument.empty() || (argument[0] != L'-' && argument[0] != L'/')) {
            return argument;
        }
    }
}
