// Drives the real RVXTOOL.exe from a test program, as an automation tool would on Windows:
// starts it, finds its dialog and message boxes, reads and sets control texts and clicks.
// Every wait has a deadline; a wait that runs out throws DriverError saying what was seen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "raw_gen.h"
#include "resource.h"

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
// Wide text as UTF-8 (for failure messages and comparisons that print legibly).
std::string Utf8(const std::wstring& text);
// UTF-16 text as a wide string.
inline std::wstring W(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}
// `path` in double quotes, for a command line.
std::wstring Quoted(const std::wstring& path);

// A dialog or message box of the program.
struct Popup {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;     // a message box's text (static 0xFFFF); empty for other dialogs
    bool hasIcon = false;  // a message box's icon is shown
};

// The visible text of control `id` of `dialog`.
std::wstring ControlText(HWND dialog, int id);
// Waits until a visible top-level window of class `className` whose caption contains
// `captionPart` exists in any process; null when the deadline passes.
HWND WaitForAnyWindow(const wchar_t* className, const std::wstring& captionPart, DWORD ms);

class Program {
public:
    // Starts `exe` with the command-line tail `arguments` (quote paths yourself) in `workDir`
    // (empty: the test's own), and waits for the main dialog unless `waitForDialog` is false
    // (a start whose load shows a message only gets there once it is dismissed).
    explicit Program(const std::wstring& arguments = L"", const std::wstring& exe = ProgramPath(),
                     const std::wstring& workDir = L"", bool waitForDialog = true);
    // Ends the program if it still runs.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Waits for the main dialog to be shown and returns it.
    HWND WaitForDialog(DWORD ms = kWaitMs);
    HWND Dialog() const { return dialog_; }

    std::wstring Text(int id) const { return ControlText(dialog_, id); }
    // Sets the text of control `id` (WM_SETTEXT, as typing would leave it).
    void SetText(int id, const std::wstring& text);
    // Sets the point name and the height and clicks save.
    void EditAndSave(const std::wstring& pointName, const std::wstring& height);
    // Clicks button `id` without waiting for what it does (a click may open a modal box).
    void Click(int id);
    // Returns once the program has handled every message posted so far, or shows a modal box.
    void Settle();

    // The visible dialogs of the program other than its main dialog.
    std::vector<Popup> Popups() const;
    // Waits for a message box or other dialog of the program to appear.
    Popup WaitForPopup(DWORD ms = kWaitMs);
    // Throws when a popup is showing after the program has settled.
    void ExpectNoPopup();
    // Presses `button` in a popup and waits until it has gone.
    void Dismiss(const Popup& popup, int button = IDOK);
    // Waits for a popup, dismisses it with OK and returns it.
    Popup TakePopup(DWORD ms = kWaitMs);

    // Chooses `path` in the file-open dialog that the import button opens, or cancels the dialog
    // when `path` is empty; the load's message, if any, is left for the caller to take.
    void Import(const std::wstring& path);

    // Waits for the program to end; false when it still runs at the deadline.
    bool WaitForExit(DWORD ms = kWaitMs);
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    // Closes the dialog with IDCANCEL and waits for the program to end.
    void Close();

private:
    // Ends the program if it still runs and lets go of it.
    void End();
    std::string Seen() const;

    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

// Deletes HKEY_CURRENT_USER\Software\RVXTOOL, the program's profile, and everything under it.
void DeleteProfile();
// Reads the language value; false when it is absent.
bool ReadLanguageValue(DWORD* value);
// Writes the language value.
void WriteLanguageValue(DWORD value);

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
