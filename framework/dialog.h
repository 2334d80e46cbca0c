// A modal dialog made from a dialog template, with its messages dispatched to member handlers
// and its text controls bound to wide-text members.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One direction of a data exchange between the controls and the bound members.
struct CDataExchange {
    HWND dialog = nullptr;
    bool saveAndValidate = false;  // true: controls to members (pull); false: push
};

// Moves the text of control `id` to or from `value`, as `dx` says.
void DDX_Text(CDataExchange* dx, int id, std::wstring& value);

// Registers the common controls' window classes (tooltips, list views, progress bars) once;
// the library is loaded on this first call, not when the program starts.
void EnsureCommonControls();

class CDialog {
public:
    // A dialog from template `templateId` of the resource module, owned by `parent`.
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until EndDialog; returns its result, or -1 when it could not be created.
    INT_PTR DoModal();
    // Ends the modal run with `result`.
    void EndDialog(int result);
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Pull (true: controls to members) or push (false); false when there is no window.
    bool UpdateData(bool saveAndValidate = true);

    // Lets the user drop files from the shell onto the window, also from programs that run at a
    // lower integrity level than this one (a program started as administrator).
    void AcceptDroppedFiles();

protected:
    // After the window and its controls exist: pushes the members. Return true to let the
    // system put the focus on the first tab stop.
    virtual BOOL OnInitDialog();
    // The exit (IDOK) command: pulls the members and ends with IDOK.
    virtual void OnOK();
    // Escape, the close box and IDCANCEL: ends with IDCANCEL.
    virtual void OnCancel();
    // The bindings of this dialog's controls.
    virtual void DoDataExchange(CDataExchange* dx);

    // Command `id` with notification `code` from a control or menu; true when handled.
    virtual bool OnCommand(int id, int code);
    // A system-menu command; true when handled (otherwise the system's default runs).
    virtual bool OnSysCommand(UINT id, LPARAM lParam);
    // WM_PAINT; true when the handler painted (otherwise the dialog's normal painting).
    virtual bool OnPaint();
    // The icon shown while the minimised window is dragged; null for the default.
    virtual HCURSOR OnQueryDragIcon();
    // The full paths of the files and folders dropped onto the window, in the shell's order.
    // A drop while the window is disabled (a modal box of it is open) is ignored.
    virtual void OnDropFiles(const std::vector<std::wstring>& paths);
    // The window is now drawn at `dpi` (per-monitor awareness: it moved to a monitor of another
    // scale); the system then lays the dialog out again for the new DPI.
    virtual void OnDpiChanged(UINT dpi);
    // Any message no handler above takes (WM_CONTEXTMENU, the dialog's own WM_APP messages);
    // true when handled.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND parent_;
};
