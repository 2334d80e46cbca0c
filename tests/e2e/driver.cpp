#include "driver.h"

#include <filesystem>

namespace e2e {

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageTextId = 0xFFFF;
constexpr int kFileNameEditId = 0x480;  // the file name box of Wine's file-open dialog
constexpr wchar_t kLanguageKey[] = L"Software\\RVXTOOL\\RVXTOOL\\RVXINI";

// Calls `ready` every 50 ms until it returns true (then true) or `ms` have passed (then false).
template <typename Ready>
bool PollUntil(DWORD ms, Ready ready) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        if (ready()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(50);
    }
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

// Asks the window itself (GetWindowText does not ask windows of other processes, so it misses
// the text of their edit boxes).
std::wstring WindowText(HWND hwnd) {
    wchar_t text[4096] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                        kWaitMs, &got);
    return std::wstring(text, got);
}

// The visible top-level windows of class `className` (any class when null) of process `pid`
// (any process when 0).
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND h = FindWindowExW(nullptr, nullptr, className, nullptr); h != nullptr;
         h = FindWindowExW(nullptr, h, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (IsWindowVisible(h) && (pid == 0 || owner == pid)) {
            found.push_back(h);
        }
    }
    return found;
}

bool IsIconControl(HWND child) {
    return IsWindowVisible(child) && ClassOf(child) == L"Static" &&
           (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
           SendMessageW(child, STM_GETICON, 0, 0) != 0;
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
        p.hasIcon = p.hasIcon || IsIconControl(child);
    }
    return p;
}

bool IsMainDialog(HWND hwnd) {
    return WindowText(hwnd) == L"RVXTOOL" && GetDlgItem(hwnd, IDC_SAVE) != nullptr;
}

// Describes a window and its children (for failure messages).
std::string Describe(HWND hwnd) {
    std::string out = "[" + Utf8(ClassOf(hwnd)) + " \"" + Utf8(WindowText(hwnd)) + "\"";
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        out += " {" + std::to_string(GetDlgCtrlID(child)) + " " + Utf8(ClassOf(child)) + " \"" +
               Utf8(WindowText(child)) + "\"}";
    }
    return out + "]";
}

void SetControlText(HWND dialog, int id, const std::wstring& text) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kWaitMs,
                             &result)) {
        throw DriverError("cannot set the text of control " + std::to_string(id) + " in " +
                          Describe(dialog));
    }
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    return std::filesystem::path(text).u8string();
}

std::wstring WindowsPathOf(const std::string& unixPath) {
    return L"Z:" + std::filesystem::u8path(unixPath).make_preferred().wstring();
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

std::wstring ControlText(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        throw DriverError("no control " + std::to_string(id) + " in " + Describe(dialog));
    }
    return WindowText(control);
}

HWND WaitForAnyWindow(const wchar_t* className, const std::wstring& captionPart, DWORD ms) {
    HWND found = nullptr;
    PollUntil(ms, [&] {
        for (HWND hwnd : TopLevelWindows(0, className)) {
            if (WindowText(hwnd).find(captionPart) != std::wstring::npos) {
                found = hwnd;
            }
        }
        return found != nullptr;
    });
    return found;
}

Program::Program(const std::wstring& arguments, const std::wstring& exe,
                 const std::wstring& workDir, bool waitForDialog) {
    // Without a window manager (Xvfb), Wine waits up to two seconds for one to confirm each
    // hidden window; windows it does not hand to a window manager close at once.
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Managed", REG_SZ, L"N",
                    2 * sizeof(wchar_t));
    std::wstring commandLine = Quoted(exe) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup, &process_)) {
        throw DriverError("cannot start " + Utf8(commandLine) + ": error " +
                          std::to_string(GetLastError()));
    }
    CloseHandle(process_.hThread);
    if (waitForDialog) {
        try {
            WaitForDialog();
        } catch (...) {
            End();
            throw;
        }
    }
}

HWND Program::WaitForDialog(DWORD ms) {
    const auto found = [this] {
        for (HWND hwnd : TopLevelWindows(process_.dwProcessId, kDialogClass)) {
            if (IsMainDialog(hwnd)) {
                dialog_ = hwnd;
            }
        }
        return dialog_ != nullptr || WaitForExit(0);
    };
    if (!PollUntil(ms, found) || dialog_ == nullptr) {
        throw DriverError("the RVXTOOL dialog did not appear; seen: " + Seen());
    }
    return dialog_;
}

Program::~Program() {
    End();
}

void Program::End() {
    if (!WaitForExit(0)) {
        TerminateProcess(process_.hProcess, 1);
        WaitForExit(5000);
    }
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
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog_, id)));
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
    if (!PollUntil(ms, [this] { return !Popups().empty(); })) {
        throw DriverError("no message box or dialog appeared within " + std::to_string(ms) +
                          " ms; seen: " + Seen());
    }
    // Let the box finish laying itself out before it is read.
    Sleep(100);
    return ReadPopup(Popups().front().hwnd);
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
    if (!PollUntil(kWaitMs,
                   [&] { return !IsWindow(popup.hwnd) || !IsWindowVisible(popup.hwnd); })) {
        throw DriverError("the box did not close: " + Describe(popup.hwnd));
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
    if (!path.empty()) {
        SetControlText(chooser.hwnd, kFileNameEditId, path);
    }
    Dismiss(chooser, path.empty() ? IDCANCEL : IDOK);
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
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\RVXTOOL");
}

bool ReadLanguageValue(DWORD* value) {
    DWORD size = sizeof(*value);
    return RegGetValueW(HKEY_CURRENT_USER, kLanguageKey, L"UI", RRF_RT_REG_DWORD, nullptr, value,
                        &size) == ERROR_SUCCESS;
}

void WriteLanguageValue(DWORD value) {
    if (RegSetKeyValueW(HKEY_CURRENT_USER, kLanguageKey, L"UI", REG_DWORD, &value, sizeof(value)) !=
        ERROR_SUCCESS) {
        throw DriverError("cannot write the language value");
    }
}

}  // namespace e2e
