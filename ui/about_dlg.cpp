#include "about_dlg.h"

#include "dpi.h"
#include "resource.h"
#include "resources.h"

namespace {

HWND IconControl(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (lstrcmpiW(className, L"Static") == 0 &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() {
    if (m_hIcon != nullptr) {
        DestroyIcon(m_hIcon);
    }
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    OnDpiChanged(WindowDpi(m_hWnd));
    return TRUE;
}

void CAboutDlg::OnDpiChanged(UINT dpi) {
    const HWND control = IconControl(m_hWnd);
    const HICON icon = LoadResIconAt(IDI_ABOUT, SystemMetricForDpi(SM_CXICON, dpi));
    if (control == nullptr || icon == nullptr) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
        return;
    }
    SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    if (m_hIcon != nullptr) {
        DestroyIcon(m_hIcon);
    }
    m_hIcon = icon;
}
