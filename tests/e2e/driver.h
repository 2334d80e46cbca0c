// Drives the real RVXTOOL.exe from a test program, as an automation tool would on Windows:
// starts it, finds its dialog and message boxes, reads and sets control texts and clicks.
// Every wait has a deadline; a wait that runs out throws DriverError saying what was seen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "raw_gen.h"
#include "resource.h"

namespace e2e {

constexpr DWORD kWaitMs = 20000;
constexpr int kMessageTextId = 0xFFFF;
constexpr int kFileNameEditId = 0x480;  // the file name box of Wine's file-open dialog
constexpr wchar_t kLanguageKey[] = L"Software\\RVXTOOL\\RVXTOOL\\RVXINI";

struct DriverError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

inline std::string Utf8(const std::wstring& text) {
    return std::filesystem::path(text).u8string();
}
inline std::wstring W(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}
inline std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}
// A Unix path as Wine's Z: drive sees it.
inline std::wstring WindowsPathOf(const std::string& unixPath) {
    return L"Z:" + std::filesystem::u8path(unixPath).make_preferred().wstring();
}
// The RVXTOOL.exe of this build, and its folder (with a trailing backslash).
inline std::wstring ProgramPath() {
    return WindowsPathOf(RVX_PROGRAM_UNIX_PATH);
}
inline std::wstring ProgramFolder() {
    const std::wstring exe = ProgramPath();
    return exe.substr(0, exe.find_last_of(L'\\') + 1);
}

// Calls `ready` every 50 ms until it returns true (then true) or `ms` have passed (then false).
template <typename Ready>
bool PollUntil(DWORD ms, Ready ready) {
    for (const ULONGLONG deadline = GetTickCount64() + ms; !ready(); Sleep(50)) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
    }
    return true;
}

inline std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

// GetWindowText does not ask windows of other processes, so it misses their edit boxes' text.
inline std::wstring WindowText(HWND hwnd) {
    wchar_t text[4096] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                        kWaitMs, &got);
    return std::wstring(text, got);
}

// The visible top-level windows of class `className` (any when null) of process `pid` (any
// when 0).
inline std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className) {
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

// A visible top-level window of class `className` whose caption contains `captionPart`, in any
// process; null when none appears before `ms` have passed.
inline HWND WaitForAnyWindow(const wchar_t* className, const std::wstring& captionPart, DWORD ms) {
    HWND found = nullptr;
    PollUntil(ms, [&] {
        for (HWND hwnd : TopLevelWindows(0, className)) {
            found = WindowText(hwnd).find(captionPart) != std::wstring::npos ? hwnd : found;
        }
        return found != nullptr;
    });
    return found;
}

// A window and its children, for failure messages.
inline std::string Describe(HWND hwnd) {
    std::string out = "[" + Utf8(ClassOf(hwnd)) + " \"" + Utf8(WindowText(hwnd)) + "\"";
    for (HWND c = GetWindow(hwnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        out += " {" + std::to_string(GetDlgCtrlID(c)) + " \"" + Utf8(WindowText(c)) + "\"}";
    }
    return out + "]";
}

// The text of control `id` of `dialog` (asked of the window itself, across processes).
inline std::wstring ControlText(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        throw DriverError("no control " + std::to_string(id) + " in " + Describe(dialog));
    }
    return WindowText(control);
}

inline void SetControlText(HWND dialog, int id, const std::wstring& text) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kWaitMs,
                             &result)) {
        throw DriverError("cannot set control " + std::to_string(id) + " in " + Describe(dialog));
    }
}

// The text of the tooltip on control `id` of `dialog`, in another process. A tooltip's text can
// only be asked for with a pointer: the question and the answer are written into the program's
// own memory.
inline std::wstring TipText(HWND dialog, int id) {
    struct Exchange {
        TOOLINFOW tool;
        wchar_t text[1024];
    } local{};
    local.tool.cbSize = sizeof local.tool;
    local.tool.hwnd = dialog;
    local.tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    const HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof local, MEM_COMMIT, PAGE_READWRITE));
    local.tool.lpszText = reinterpret_cast<wchar_t*>(remote + offsetof(Exchange, text));
    // The tooltip is made once the dialog has painted.
    HWND tip = nullptr;
    PollUntil(kWaitMs, [&] {
        do {
            tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
        } while (tip != nullptr && GetWindow(tip, GW_OWNER) != dialog);
        return tip != nullptr;
    });
    DWORD_PTR result = 0;
    if (remote == nullptr || !WriteProcessMemory(process, remote, &local, sizeof local, nullptr) ||
        !SendMessageTimeoutW(tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL,
                             kWaitMs, &result) ||
        !ReadProcessMemory(process, remote, &local, sizeof local, nullptr)) {
        throw DriverError("cannot ask the program for its tooltip");
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return local.text;
}

// A message box or other dialog of the program.
struct Popup {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;     // a message box's text (static 0xFFFF)
    bool hasIcon = false;  // a message box's icon is shown
};

inline bool IsIcon(HWND child) {
    return IsWindowVisible(child) && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
           ClassOf(child) == L"Static" && SendMessageW(child, STM_GETICON, 0, 0) != 0;
}

inline Popup ReadPopup(HWND hwnd) {
    Popup p{hwnd, WindowText(hwnd), L"", false};
    const HWND text = GetDlgItem(hwnd, kMessageTextId);
    if (text != nullptr && !IsIcon(text)) {
        p.text = WindowText(text);
    }
    for (HWND c = GetWindow(hwnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        p.hasIcon = p.hasIcon || IsIcon(c);
    }
    return p;
}

inline bool IsMainDialog(HWND hwnd) {
    return WindowText(hwnd) == L"RVXTOOL" && GetDlgItem(hwnd, IDC_SAVE) != nullptr;
}

// The window with the keyboard focus in the dialog's thread.
inline HWND FocusOf(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

// Posts a click on button `id` of `window` (a click may open a modal box, so nothing waits).
inline void PostClick(HWND window, int id) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

class Program {
public:
    // Starts `exe` with the command-line tail `arguments` in `workDir` (empty: this one's) and
    // waits for the main dialog unless `waitForDialog` is false.
    explicit Program(const std::wstring& arguments = L"", const std::wstring& exe = ProgramPath(),
                     const std::wstring& workDir = L"", bool waitForDialog = true) {
        // Without a window manager (Xvfb), Wine waits up to two seconds for one to confirm each
        // window it manages; unmanaged windows come and go at once.
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Managed", REG_SZ, L"N",
                        2 * sizeof(wchar_t));
        std::wstring commandLine = Quoted(exe) + L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            workDir.empty() ? nullptr : workDir.c_str(), &startup, &process_)) {
            throw DriverError("cannot start " + Utf8(commandLine));
        }
        CloseHandle(process_.hThread);
        const auto found = [this] {
            for (HWND hwnd : TopLevelWindows(process_.dwProcessId, L"#32770")) {
                dialog_ = IsMainDialog(hwnd) ? hwnd : dialog_;
            }
            return dialog_ != nullptr || WaitForExit(0);
        };
        if (waitForDialog && (!PollUntil(kWaitMs, found) || dialog_ == nullptr)) {
            const std::string seen = Seen();
            End();
            throw DriverError("the RVXTOOL dialog did not appear; seen: " + seen);
        }
    }
    // Ends the program if it still runs.
    ~Program() { End(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Dialog() const { return dialog_; }
    std::wstring Text(int id) const { return ControlText(dialog_, id); }
    // Sets the text of control `id` as typing would leave it.
    void SetText(int id, const std::wstring& text) { SetControlText(dialog_, id, text); }
    // Sets the point name and the height and clicks save.
    void EditAndSave(const std::wstring& pointName, const std::wstring& height) {
        SetText(IDC_POINT_NAME, pointName);
        SetText(IDC_ANT_HEIGHT, height);
        Click(IDC_SAVE);
    }
    void Click(int id) { PostClick(dialog_, id); }
    // The control id of the window with the keyboard focus (0 when none).
    int FocusId() const { return GetDlgCtrlID(FocusOf(dialog_)); }
    // Presses key `vk` in the window with the focus, as typing would.
    void Press(WORD vk) {
        PostMessageW(FocusOf(dialog_), WM_KEYDOWN, vk, 1);
        PostMessageW(FocusOf(dialog_), WM_KEYUP, vk, 0xC0000001);
    }

    // The program's popups now, without waiting.
    std::vector<Popup> Popups() const {
        std::vector<Popup> popups;
        for (HWND hwnd : TopLevelWindows(process_.dwProcessId, L"#32770")) {
            if (hwnd != dialog_ && !IsMainDialog(hwnd)) {
                popups.push_back(ReadPopup(hwnd));
            }
        }
        return popups;
    }
    // Waits for a popup of the program to appear.
    Popup WaitForPopup(DWORD ms = kWaitMs) {
        if (!PollUntil(ms, [this] { return !Popups().empty(); })) {
            throw DriverError("no popup appeared; seen: " + Seen());
        }
        Sleep(100);  // let the box finish laying itself out before it is read
        return ReadPopup(Popups().front().hwnd);
    }
    // Lets the program handle what was posted, then throws when a popup is showing.
    void ExpectNoPopup() {
        // Posted messages come after sent ones: give the program time to pick up what was
        // posted; the sent message then returns once that is done or a modal box runs.
        for (int i = 0; i < 2; ++i) {
            Sleep(150);
            DWORD_PTR result = 0;
            SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &result);
        }
        if (!Popups().empty()) {
            throw DriverError("unexpected box: " + Describe(Popups().front().hwnd));
        }
    }
    // Presses `button` in a popup and waits until it has gone.
    void Dismiss(const Popup& popup, int button = IDOK) {
        PostClick(popup.hwnd, button);
        if (!PollUntil(kWaitMs, [&] { return !IsWindowVisible(popup.hwnd); })) {
            throw DriverError("the box did not close: " + Describe(popup.hwnd));
        }
    }
    // Waits for a popup, dismisses it with OK and returns it.
    Popup TakePopup() {
        const Popup popup = WaitForPopup();
        Dismiss(popup);
        return popup;
    }
    // Chooses `path` in the import button's open dialog, or cancels it when `path` is empty.
    void Import(const std::wstring& path) {
        Click(IDC_IMPORT);
        const Popup chooser = WaitForPopup();
        if (!path.empty()) {
            SetControlText(chooser.hwnd, kFileNameEditId, path);
        }
        Dismiss(chooser, path.empty() ? IDCANCEL : IDOK);
    }
    // Drops `paths` on the dialog as the shell does after a drag from Explorer. The drop's data
    // is written into the program's own memory: a drop handle is valid only in the process that
    // made it, and neither Windows nor Wine carries one posted from another process across.
    void Drop(const std::vector<std::wstring>& paths) {
        DROPFILES header{sizeof header, {}, FALSE, TRUE};
        std::string data(reinterpret_cast<const char*>(&header), sizeof header);
        for (const std::wstring& path : paths) {
            data.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * 2);
        }
        data.append(2, '\0');
        void* remote =
            VirtualAllocEx(process_.hProcess, nullptr, data.size(), MEM_COMMIT, PAGE_READWRITE);
        if (remote == nullptr ||
            !WriteProcessMemory(process_.hProcess, remote, data.data(), data.size(), nullptr)) {
            throw DriverError("cannot write the drop into the program");
        }
        PostMessageW(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
    }

    // Waits for the program to end; false when it still runs at the deadline.
    bool WaitForExit(DWORD ms = kWaitMs) {
        return WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0;
    }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    // Closes the dialog with IDCANCEL, answering No if it asks about unsaved fields, and waits
    // for the program to end.
    void Close() {
        PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PollUntil(kWaitMs, [this] { return WaitForExit(0) || !Popups().empty(); });
        if (!WaitForExit(0)) {
            Dismiss(WaitForPopup(), IDNO);
        }
        if (!WaitForExit()) {
            throw DriverError("the program did not end after IDCANCEL; seen: " + Seen());
        }
    }

private:
    void End() {
        if (!WaitForExit(0)) {
            TerminateProcess(process_.hProcess, 1);
            WaitForExit(5000);
        }
        CloseHandle(process_.hProcess);
    }
    std::string Seen() const {
        std::string out;
        for (HWND hwnd : TopLevelWindows(process_.dwProcessId, nullptr)) {
            out += Describe(hwnd) + " ";
        }
        return out.empty() ? "no window" : out;
    }

    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

// The program's profile key (deleted), and its language value (false when absent).
inline void DeleteProfile() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\RVXTOOL");
}
inline bool ReadLanguageValue(DWORD* value) {
    DWORD size = sizeof(*value);
    return RegGetValueW(HKEY_CURRENT_USER, kLanguageKey, L"UI", RRF_RT_REG_DWORD, nullptr, value,
                        &size) == ERROR_SUCCESS;
}
inline void WriteLanguageValue(DWORD value) {
    if (RegSetKeyValueW(HKEY_CURRENT_USER, kLanguageKey, L"UI", REG_DWORD, &value, sizeof(value)) !=
        ERROR_SUCCESS) {
        throw DriverError("cannot write the language value");
    }
}

// Each value of the file type under `root` ("-" when absent; the "Open with" entry is empty).
inline std::vector<std::wstring> RegisteredFileType(HKEY root) {
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

// A standard header without its line `index` (1 version, 2 receiver, 3 date, 4 model, 5 height).
inline rawgen::Bytes HeaderWithout(std::size_t index) {
    std::vector<std::string> lines = rawgen::StandardLines();
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index));
    return rawgen::MakeHeader(lines);
}

// A scratch folder and a Chinese interface (the language value 0) for each test.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { WriteLanguageValue(0); }
    void TearDown() override { DeleteProfile(); }

    // Writes `bytes` as `name` in the scratch folder and returns its path.
    std::wstring MakeFile(const std::u16string& name, const rawgen::Bytes& bytes) {
        rawgen::WriteFile(dir_.Path(name), bytes);
        return PathOf(name);
    }
    std::wstring PathOf(const std::u16string& name) const { return W(dir_.Path(name)); }
    bool Exists(const std::u16string& name) const { return rawgen::FileExists(dir_.Path(name)); }
    rawgen::Bytes Read(const std::u16string& name) const {
        return rawgen::ReadFile(dir_.Path(name));
    }

    rawgen::TempDir dir_;
};

}  // namespace e2e
