#include "message_box.h"

#include "win_app.h"

void ShowMessage(HWND owner, const std::wstring& text, MessageIcon icon) {
    const UINT type = MB_OK | (icon == MessageIcon::kError ? MB_ICONERROR : 0);
    MessageBoxW(owner, text.c_str(), AfxGetAppName().c_str(), type);
}

std::wstring FileErrorText(FileAction action, const std::wstring& path, const std::wstring& target,
                           const std::wstring& reason) {
    std::wstring text;
    switch (action) {
        case FileAction::kOpen:
            text = L"无法打开文件：\n" + path;
            break;
        case FileAction::kWrite:
            text = L"写入文件时出错：\n" + path;
            break;
        case FileAction::kRename:
            text = L"无法重命名文件：\n" + path + L"\n→ " + target;
            break;
    }
    return text + L"\n\n" + reason;
}

void ReportFileError(HWND owner, FileAction action, const std::wstring& path,
                     const std::wstring& target, const std::wstring& reason) {
    ShowMessage(owner, FileErrorText(action, path, target, reason), MessageIcon::kError);
}
