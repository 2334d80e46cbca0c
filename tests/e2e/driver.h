// Drives the real RVXTOOL.exe from a test program, as an automation tool would on Windows:
// starts it, finds its dialog and message boxes, reads and sets control texts and clicks.
// Every wait has a deadline; a wait that runs out throws DriverError saying what was seen.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD kWaitMs = 20000;

class DriverError : public std::runtime_error {
public:
    explicit DriverError(const std::string& what) : std::runtime_error(what) {}
};

// The RVXTOOL.exe of this build, as a Windows path.
std::wstring ProgramPath();
// The folder of this build's programs (with a trailing backslash).
std::wstring ProgramFolder();
// A Unix path as Wine's Z: drive sees it.
std::wstring WindowsPathOf(const std::string& unixPath);
// Wide text as UTF-8 (for failure messages).
std::string Utf8(const std::wstring& text);
// `path` in double quotes, for a command line.
std::wstring Quoted(const std::wstring& path);

// A dialog or message box of the program.
struct Popup {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;     // a message box's text (static 0xFFFF); empty for other dialogs
    bool hasIcon = false;  // a message box's icon is shown
};

// Describes a window and its children (for failure messages).
std::string Describe(HWND hwnd);

// The visible text of control `id` of `dialog`.
std::wstring ControlText(HWND dialog, int id);

// Waits until a visible top-level window of class `className` whose caption contains
// `captionPart` exists in any process; null when the deadline passes.
HWND WaitForAnyWindow(const wchar_t* className, const std::wstring& captionPart, DWORD ms);

// Sets the text of control `id` of a window of another process.
void SetControlText(HWND dialog, int id, const std::wstring& text);

// What the Program constructor waits for after starting the program.
enum class StartWait {
    kDialog,   // the main dialog (a start whose load shows a message never gets there)
    kNothing,  // return at once; call WaitForPopup or WaitForDialog next
};

class Program {
public:
    // Starts `exe` with the command-line tail `arguments` (quote paths yourself) in `workDir`
    // (empty: the test's own), and waits as `wait` says.
    explicit Program(const std::wstring& arguments = L"", const std::wstring& exe = ProgramPath(),
                     const std::wstring& workDir = L"", StartWait wait = StartWait::kDialog);
    // Ends the program if it still runs.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Waits for the main dialog to be shown and returns it.
    HWND WaitForDialog(DWORD ms = kWaitMs);
    HWND Dialog() const { return dialog_; }
    DWORD ProcessId() const { return process_.dwProcessId; }

    std::wstring Text(int id) const;
    // Sets the text of control `id` (WM_SETTEXT, as typing would leave it).
    void SetText(int id, const std::wstring& text);
    // Clicks button `id` without waiting for what it does (a click may open a modal box).
    void Click(int id);
    // Posts a system-menu command to the dialog.
    void SysCommand(UINT id);
    // Posts a key press (down and up) to control `id`.
    void PressKey(int id, WORD virtualKey);
    // Returns once the program has handled every message posted so far, or shows a modal box.
    void Settle();

    // The visible dialogs of the program other than its main dialog.
    std::vector<Popup> Popups() const;
    // Waits for a message box or other dialog of the program to appear.
    Popup WaitForPopup(DWORD ms = kWaitMs);
    // Throws when a popup is showing after the program has settled.
    void ExpectNoPopup();
    // Presses `button` (IDOK by default) in a popup and waits until it has gone.
    void Dismiss(const Popup& popup, int button = IDOK);
    // Waits for a popup, checks nothing, dismisses it with OK and returns it.
    Popup TakePopup(DWORD ms = kWaitMs);

    // Chooses `path` in the file-open dialog that the import button opens. The load's message,
    // if any, is left for the caller to take.
    void Import(const std::wstring& path);
    // Opens the file-open dialog with the import button and cancels it.
    void CancelImport();

    // Waits for the program to end; false when it still runs at the deadline.
    bool WaitForExit(DWORD ms = kWaitMs);
    DWORD ExitCode() const;
    // Closes the dialog with IDCANCEL and waits for the program to end.
    void Close();

private:
    std::string Seen() const;

    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

// Registry helpers for the program's profile.
// Deletes HKEY_CURRENT_USER\Software\RVXTOOL and everything under it.
void DeleteProfile();
// Reads the language value; false when it is absent.
bool ReadLanguageValue(DWORD* value);
// Writes the language value.
void WriteLanguageValue(DWORD value);

}  // namespace e2e
