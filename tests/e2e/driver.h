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

struct DriverError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A Unix path as Wine's Z: drive sees it.
std::wstring WindowsPathOf(const std::string& unixPath);
// The RVXTOOL.exe of this build, and its folder (with a trailing backslash).
std::wstring ProgramPath();
std::wstring ProgramFolder();
std::string Utf8(const std::wstring& text);
inline std::wstring W(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}
inline std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// A message box or other dialog of the program.
struct Popup {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;     // a message box's text (static 0xFFFF)
    bool hasIcon = false;  // a message box's icon is shown
};

// The text of control `id` of `dialog` (asked of the window itself, across processes).
std::wstring ControlText(HWND dialog, int id);
// The text of the tooltip on control `id` of `dialog` (in another process).
std::wstring TipText(HWND dialog, int id);
// A visible top-level window of class `className` whose caption contains `captionPart`, in any
// process; null when none appears before `ms` have passed.
HWND WaitForAnyWindow(const wchar_t* className, const std::wstring& captionPart, DWORD ms);

class Program {
public:
    // Starts `exe` with the command-line tail `arguments` in `workDir` (empty: this one's) and
    // waits for the main dialog unless `waitForDialog` is false.
    explicit Program(const std::wstring& arguments = L"", const std::wstring& exe = ProgramPath(),
                     const std::wstring& workDir = L"", bool waitForDialog = true);
    // Ends the program if it still runs.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Dialog() const { return dialog_; }
    std::wstring Text(int id) const { return ControlText(dialog_, id); }
    // Sets the text of control `id` as typing would leave it.
    void SetText(int id, const std::wstring& text);
    // Sets the point name and the height and clicks save.
    void EditAndSave(const std::wstring& pointName, const std::wstring& height);
    // Posts a click on button `id` (a click may open a modal box, so nothing waits for it).
    void Click(int id);
    // The control id of the window with the keyboard focus (0 when none).
    int FocusId() const;
    // Presses key `vk` in the window with the focus, as typing would.
    void Press(WORD vk);

    // Waits for a popup of the program to appear.
    Popup WaitForPopup(DWORD ms = kWaitMs);
    // Lets the program handle what was posted, then throws when a popup is showing.
    void ExpectNoPopup();
    // Presses `button` in a popup and waits until it has gone.
    void Dismiss(const Popup& popup, int button = IDOK);
    // Waits for a popup, dismisses it with OK and returns it.
    Popup TakePopup();
    // Chooses `path` in the import button's open dialog, or cancels it when `path` is empty.
    void Import(const std::wstring& path);
    // Drops `paths` on the dialog as the shell does after a drag from Explorer. The drop's data
    // is written into the program's own memory: a drop handle is valid only in the process that
    // made it, and neither Windows nor Wine carries one posted from another process across.
    void Drop(const std::vector<std::wstring>& paths);

    // Waits for the program to end; false when it still runs at the deadline.
    bool WaitForExit(DWORD ms = kWaitMs);
    DWORD ExitCode() const;
    // Closes the dialog with IDCANCEL, answering No if it asks about unsaved fields, and waits for
    // the program to end.
    void Close();

    // The program's popups now, without waiting.
    std::vector<Popup> Popups() const;

private:
    void End();
    std::string Seen() const;

    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

// The program's profile key (deleted), and its language value (false when absent).
void DeleteProfile();
bool ReadLanguageValue(DWORD* value);
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
