#include "message_box.h"

#include "win_app.h"

void ShowMessage(HWND owner, const std::wstring& text, MessageIcon icon) {
    const UINT type = MB_OK | (icon == MessageIcon::kError ? MB_ICONERROR : 0);
    MessageBoxW(owner, text.c_str(), AfxGetAppName().c_str(), type);
}

void ReportFileError(HWND owner, const std::wstring& what, const std::wstring& reason) {
    ShowMessage(owner, what + L"\n\n" + reason, MessageIcon::kError);
}

int AskYesNoCancel(HWND owner, const std::wstring& text, LANGID language) {
    return MessageBoxExW(owner, text.c_str(), AfxGetAppName().c_str(),
                         MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON1, language);
}

int AskYesNo(HWND owner, const std::wstring& text, LANGID language) {
    return MessageBoxExW(owner, text.c_str(), AfxGetAppName().c_str(),
                         MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, language);
}

std::wstring SystemErrorText(DWORD code, LANGID language) {
    const DWORD flags =
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    wchar_t buffer[1024] = {};
    DWORD n = FormatMessageW(flags, nullptr, code, language, buffer, 1024, nullptr);
    if (n == 0) {
        n = FormatMessageW(flags, nullptr, code, 0, buffer, 1024, nullptr);
    }
    std::wstring text(buffer, n);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\r' || text.back() == L'\n')) {
        text.pop_back();
    }
    return text;
}
