#include "message_box.h"

#include "win_app.h"

void ShowMessage(HWND owner, const std::wstring& text, MessageIcon icon) {
    const UINT type = MB_OK | (icon == MessageIcon::kError ? MB_ICONERROR : 0);
    MessageBoxW(owner, text.c_str(), AfxGetAppName().c_str(), type);
}

void ReportFileError(HWND owner, const std::wstring& what, const std::wstring& reason) {
    ShowMessage(owner, what + L"\n\n" + reason, MessageIcon::kError);
}
