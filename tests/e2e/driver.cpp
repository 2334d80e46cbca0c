#include "driver.h"

#include <algorithm>

namespace e2e {

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kMainCaption[] = L"RVXTOOL";
constexpr int kMessageTextId = 0xFFFF;
constexpr int kFileNameEditId = 0x480;  // the file name box of Wine's file-open dialog
constexpr DWORD kPollMs = 50;
constexpr wchar_t kProfileKey[] = L"Software\\RVXTOOL";
constexpr wchar_t kLanguageKey[] = L"Software\\RVXTOOL\\RVXTOOL\\RVXINI";

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

// Asks the window itself (GetWindowText does not ask windows of other processes, so it misses
// the text of their edit boxes).
std::wstring WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kWaitMs, &length)) {
        return std::wstring();
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                             SMTO_NORMAL, kWaitMs, &got)) {
        return std::wstring();
    }
    text.resize(got);
    return text;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    WindowSearch* s = reinterpret_cast<WindowSearch*>(param);
    if (IsWindowVisible(hwnd) && (s->pid == 0 || ProcessOf(hwnd) == s->pid) &&
        (s->className == nullptr || ClassOf(hwnd) == s->className)) {
        s->found.push_back(hwnd);
    }
    return TRUE;
}

// The visible top-level windows of class `className` (any class when null) of process `pid`
// (any process when 0).
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className) {
    WindowSearch search{pid, className, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsIconControl(HWND child) {
    if (!IsWindowVisible(child) || ClassOf(child) != L"Static") {
        return false;
    }
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    return (style & SS_TYPEMASK) == SS_ICON && SendMessageW(child, STM_GETICON, 0, 0) != 0;
}

Popup ReadPopup(HWND hwnd) {
    Popup p;
    p.hwnd = hwnd;
    p.caption = WindowText(hwnd);
    const HWND text = GetDlgItem(hwnd, kMessageTextId);
    if (text != nullptr && !IsIconControl(text)) {
        p.text = WindowText(text);
    }
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsIconControl(child)) {
            p.hasIcon = true;
        }
    }
    return p;
}

bool IsMainDialog(HWND hwnd) {
    return WindowText(hwnd) == kMainCaption && GetDlgItem(hwnd, IDC_SAVE) != nullptr;
}

void SetControlText(HWND dialog, int id, const std::wstring& text) {
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        throw DriverError("no control " + std::to_string(id) + " in " + Describe(dialog));
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_NORMAL, kWaitMs, &result)) {
        throw DriverError("setting the text of control " + std::to_string(id) + " timed out");
    }
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring WindowsPathOf(const std::string& unixPath) {
    std::wstring path = L"Z:";
    const int n = MultiByteToWideChar(CP_UTF8, 0, unixPath.data(),
                                      static_cast<int>(unixPath.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, unixPath.data(), static_cast<int>(unixPath.size()), wide.data(),
                        n);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return path + wide;
}

std::wstring ProgramPath() {
    return WindowsPathOf(RVX_PROGRAM_UNIX_PATH);
}

std::wstring ProgramFolder() {
    const std::wstring exe = ProgramPath();
    return exe.substr(0, exe.find_last_of(L'\\') + 1);
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

std::string Describe(HWND hwnd) {
    std::string out = "[" + Utf8(ClassOf(hwnd)) + " \"" + Utf8(WindowText(hwnd)) + "\"";
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        out += " {" + std::to_string(GetDlgCtrlID(child)) + " " + Utf8(ClassOf(child)) + " \"" +
               Utf8(WindowText(child)) + "\"}";
    }
    return out + "]";
}

std::wstring ControlText(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        throw DriverError("no control " + std::to_string(id) + " in " + Describe(dialog));
    }
    return WindowText(control);
}

HWND WaitForAnyWindow(const wchar_t* className, const std::wstring& captionPart, DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    do {
        for (HWND hwnd : TopLevelWindows(0, className)) {
            if (WindowText(hwnd).find(captionPart) != std::wstring::npos) {
                return hwnd;
            }
        }
        Sleep(kPollMs);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

void LeaveWindowsUnmanaged() {
    // Without a window manager (Xvfb), Wine waits up to two seconds for one to confirm each
    // hidden window; windows it does not hand to a window manager close at once.
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Managed", REG_SZ, L"N",
                    2 * sizeof(wchar_t));
}

Program::Program(const std::wstring& arguments, const std::wstring& exe,
                 const std::wstring& workDir, bool waitForDialog) {
    static const bool unmanaged = (LeaveWindowsUnmanaged(), true);
    (void)unmanaged;
    std::wstring commandLine = Quoted(exe);
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup, &process_)) {
        throw DriverError("cannot start " + Utf8(commandLine) + ": error " +
                          std::to_string(GetLastError()));
    }
    if (!waitForDialog) {
        return;
    }
    try {
        WaitForDialog();
    } catch (...) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        throw;
    }
}

HWND Program::WaitForDialog(DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    do {
        for (HWND hwnd : TopLevelWindows(process_.dwProcessId, kDialogClass)) {
            if (IsMainDialog(hwnd)) {
                dialog_ = hwnd;
                return dialog_;
            }
        }
        if (WaitForSingleObject(process_.hProcess, kPollMs) == WAIT_OBJECT_0) {
            break;
        }
    } while (GetTickCount64() < deadline);
    throw DriverError("the RVXTOOL dialog did not appear; seen: " + Seen());
}

Program::~Program() {
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

std::string Program::Seen() const {
    std::string out;
    for (HWND hwnd : TopLevelWindows(process_.dwProcessId, nullptr)) {
        out += Describe(hwnd) + " ";
    }
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) {
        out += "(the program has ended)";
    }
    return out.empty() ? "no window" : out;
}

void Program::SetText(int id, const std::wstring& text) {
    SetControlText(dialog_, id, text);
}

void Program::EditAndSave(const std::wstring& pointName, const std::wstring& height) {
    SetText(IDC_POINT_NAME, pointName);
    SetText(IDC_ANT_HEIGHT, height);
    Click(IDC_SAVE);
}

void Program::Click(int id) {
    const HWND button = GetDlgItem(dialog_, id);
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void Program::Settle() {
    // Posted messages are handled after sent ones, so give the program time to pick up what was
    // posted; the sent message then returns once that is done or a modal box runs.
    for (int i = 0; i < 2; ++i) {
        Sleep(150);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &result);
    }
}

std::vector<Popup> Program::Popups() const {
    std::vector<Popup> popups;
    for (HWND hwnd : TopLevelWindows(process_.dwProcessId, kDialogClass)) {
        if (hwnd != dialog_ && !IsMainDialog(hwnd)) {
            popups.push_back(ReadPopup(hwnd));
        }
    }
    return popups;
}

Popup Program::WaitForPopup(DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    do {
        const std::vector<Popup> popups = Popups();
        if (!popups.empty()) {
            // Let the box finish laying itself out before it is read.
            Sleep(100);
            return ReadPopup(popups.front().hwnd);
        }
        Sleep(kPollMs);
    } while (GetTickCount64() < deadline);
    throw DriverError("no message box or dialog appeared within " + std::to_string(ms) +
                      " ms; seen: " + Seen());
}

void Program::ExpectNoPopup() {
    Settle();
    const std::vector<Popup> popups = Popups();
    if (!popups.empty()) {
        throw DriverError("unexpected box: " + Describe(popups.front().hwnd));
    }
}

void Program::Dismiss(const Popup& popup, int button) {
    PostMessageW(popup.hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(popup.hwnd, button)));
    const ULONGLONG deadline = GetTickCount64() + kWaitMs;
    while (IsWindow(popup.hwnd) && IsWindowVisible(popup.hwnd)) {
        if (GetTickCount64() >= deadline) {
            throw DriverError("the box did not close: " + Describe(popup.hwnd));
        }
        Sleep(kPollMs);
    }
}

Popup Program::TakePopup(DWORD ms) {
    const Popup popup = WaitForPopup(ms);
    Dismiss(popup);
    return popup;
}

void Program::Import(const std::wstring& path) {
    Click(IDC_IMPORT);
    const Popup chooser = WaitForPopup();
    SetControlText(chooser.hwnd, kFileNameEditId, path);
    Dismiss(chooser, IDOK);
}

void Program::CancelImport() {
    Click(IDC_IMPORT);
    Dismiss(WaitForPopup(), IDCANCEL);
}

bool Program::WaitForExit(DWORD ms) {
    return WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0;
}

void Program::Close() {
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (!WaitForExit()) {
        throw DriverError("the program did not end after IDCANCEL; seen: " + Seen());
    }
}

void DeleteProfile() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
}

bool ReadLanguageValue(DWORD* value) {
    DWORD size = sizeof(*value);
    return RegGetValueW(HKEY_CURRENT_USER, kLanguageKey, L"UI", RRF_RT_REG_DWORD, nullptr, value,
                        &size) == ERROR_SUCCESS;
}

void WriteLanguageValue(DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kLanguageKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        throw DriverError("cannot create the profile key");
    }
    RegSetValueExW(key, L"UI", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

}  // namespace e2e
