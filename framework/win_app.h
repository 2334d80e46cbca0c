// The application object: one per program, driven by the framework's wWinMain.
#pragma once

#include <windows.h>

#include <string>

class CDialog;

class CWinApp {
public:
    // Registers this object as the program's one application object.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Prepares the program; returning false ends it without a message loop of its own.
    virtual BOOL InitInstance();
    // Runs at the end of every run; returns the program's exit code.
    virtual int ExitInstance();

    // Names the profile's key: HKEY_CURRENT_USER\Software\<key>\<application name>.
    void SetRegistryKey(const wchar_t* key);
    // The REG_DWORD value `entry` of `section` in the profile, or `defaultValue` when absent.
    UINT GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const;
    // Writes `value` as a REG_DWORD; false when the key cannot be created or written.
    BOOL WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value);

    // The executable's file name without its extension.
    const std::wstring& AppName() const { return appName_; }
    // The command line's parameters (without the program's name).
    const std::wstring& CommandLine() const { return commandLine_; }

    // The framework's part of the start, then InitInstance, ExitInstance; returns the exit code.
    int Run(HINSTANCE instance, const wchar_t* commandLine);

    // The dialog that is the program's main window while it runs (may be null).
    CDialog* m_pMainWnd = nullptr;

private:
    std::wstring ProfileKeyPath(const wchar_t* section) const;

    std::wstring appName_;
    std::wstring registryKey_;
    std::wstring commandLine_;
};

// The program's application object.
CWinApp* AfxGetApp();

// The running program's full path, however long; empty when it cannot be had.
std::wstring AfxGetModuleFilePath();

// The part of `path` up to and including its last separator (\ or /); empty when it has none.
std::wstring FolderOfPath(const std::wstring& path);

// `path` made absolute against the current folder, however long; `path` itself when the system
// cannot resolve it.
std::wstring FullPathOf(const std::wstring& path);

// The running program's own folder, with its trailing separator; empty when the program's path
// cannot be had.
std::wstring AfxGetModuleFolder();

// The application's name (for message box captions).
std::wstring AfxGetAppName();

// The first command-line parameter that is not an option (does not start with - or /), quoted
// parameters taken whole; empty when there is none.
std::wstring FirstFileParameter(const wchar_t* commandLine);
