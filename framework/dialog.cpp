#include "dialog.h"

#include <commctrl.h>

#include "newer_api.h"
#include "resources.h"
#include "shell.h"
#include "win_app.h"

namespace {

// Messages and values of newer versions of Windows than the headers are set for.
constexpr UINT kCopyGlobalData = 0x0049;  // hands a drop's data to an elevated program
constexpr DWORD kFilterAllow = 1;         // MSGFLT_ALLOW (Windows 7)
constexpr UINT kDpiChanged = 0x02E0;      // WM_DPICHANGED (Windows 8.1)

std::vector<std::wstring> DroppedPaths(HDROP drop) {
    std::vector<std::wstring> paths;
    const UINT count = AfxDragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = AfxDragQueryFile(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(AfxDragQueryFile(drop, i, &path[0], length + 1));
        paths.push_back(path);
    }
    return paths;
}

}  // namespace

void EnsureCommonControls() {
    static const bool registered = [] {
        using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto init = FunctionOf<InitFn>(LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx");
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        return init != nullptr && init(&controls) != FALSE;
    }();
    static_cast<void>(registered);
}

void DDX_Text(CDataExchange* dx, int id, std::wstring& value) {
    const HWND control = GetDlgItem(dx->dialog, id);
    if (control == nullptr) {
        return;
    }
    if (!dx->saveAndValidate) {
        SetWindowTextW(control, value.c_str());
        return;
    }
    const int length = GetWindowTextLengthW(control);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextW(control, buffer.data(), length + 1);
    value.assign(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

CDialog::CDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

INT_PTR CDialog::DoModal() {
    const LPCWSTR name = MAKEINTRESOURCEW(templateId_);
    const HINSTANCE module = AfxFindResourceHandle(name, RT_DIALOG);
    // Without a parent of its own, a dialog belongs to the program's main window (so that window
    // waits while it runs).
    HWND owner = parent_;
    const CWinApp* app = AfxGetApp();
    if (owner == nullptr && app != nullptr && app->m_pMainWnd != nullptr &&
        app->m_pMainWnd != this) {
        owner = app->m_pMainWnd->GetSafeHwnd();
    }
    const INT_PTR result =
        DialogBoxParamW(module, name, owner, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void CDialog::EndDialog(int result) {
    if (m_hWnd != nullptr) {
        ::EndDialog(m_hWnd, result);
    }
}

bool CDialog::UpdateData(bool saveAndValidate) {
    if (m_hWnd == nullptr) {
        return false;
    }
    CDataExchange dx;
    dx.dialog = m_hWnd;
    dx.saveAndValidate = saveAndValidate;
    DoDataExchange(&dx);
    return true;
}

void CDialog::AcceptDroppedFiles() {
    AfxDragAcceptFiles(m_hWnd);
    // Windows 7 and later: let the messages of a drop through the filter that keeps programs of
    // a lower integrity level from sending to an elevated one.
    using ChangeFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    static const auto changeFilter =
        NewerSystemFunction<ChangeFilterFn>(L"user32.dll", "ChangeWindowMessageFilterEx");
    if (changeFilter != nullptr) {
        for (UINT msg :
             {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData}) {
            changeFilter(m_hWnd, msg, kFilterAllow, nullptr);
        }
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnCommand(int, int) {
    return false;
}

bool CDialog::OnSysCommand(UINT, LPARAM) {
    return false;
}

bool CDialog::OnPaint() {
    return false;
}

HCURSOR CDialog::OnQueryDragIcon() {
    return nullptr;
}

void CDialog::OnDropFiles(const std::vector<std::wstring>&) {}

void CDialog::OnDpiChanged(UINT) {}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM) {
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hwnd;
    }
    CDialog* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    return self->HandleMessage(msg, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == IDOK && code == BN_CLICKED) {
                OnOK();
                return TRUE;
            }
            if (id == IDCANCEL && code == BN_CLICKED) {
                OnCancel();
                return TRUE;
            }
            return OnCommand(id, code) ? TRUE : FALSE;
        }
        case WM_SYSCOMMAND:
            return OnSysCommand(static_cast<UINT>(wParam), lParam) ? TRUE : FALSE;
        case WM_PAINT:
            return OnPaint() ? TRUE : FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        case WM_DROPFILES: {
            const HDROP drop = reinterpret_cast<HDROP>(wParam);
            const std::vector<std::wstring> paths = DroppedPaths(drop);
            AfxDragFinish(drop);
            if (IsWindowEnabled(m_hWnd)) {
                OnDropFiles(paths);
            }
            return TRUE;
        }
        case kDpiChanged:
            OnDpiChanged(LOWORD(wParam));
            return FALSE;  // the dialog manager rescales the dialog and moves it
        default:
            return OnMessage(msg, wParam, lParam) ? TRUE : FALSE;
    }
}
