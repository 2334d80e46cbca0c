// The About box.
#pragma once

#include "dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

protected:
    BOOL OnInitDialog() override;
    void OnDpiChanged(UINT dpi) override;

private:
    // The picture at the size of the window's DPI (the template's icon control loads it at the
    // system's size).
    HICON m_hIcon = nullptr;
};
