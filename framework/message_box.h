// Message reports: a modal box with one OK button, captioned with the application's name.
#pragma once

#include <windows.h>

#include <string>

enum class MessageIcon { kNone, kError };

// Shows `text` modally over `owner` (may be null) and returns when the user closes it.
void ShowMessage(HWND owner, const std::wstring& text, MessageIcon icon);

// What the file operation that failed was doing.
enum class FileAction { kOpen, kWrite, kRename };

// The standard report of a failed file operation on `path` (and `target` for a rename),
// naming the system's `reason`; shown with the error icon.
void ReportFileError(HWND owner, FileAction action, const std::wstring& path,
                     const std::wstring& target, const std::wstring& reason);

// The text ReportFileError shows.
std::wstring FileErrorText(FileAction action, const std::wstring& path, const std::wstring& target,
                           const std::wstring& reason);
