// Message reports: a modal box with one OK button, captioned with the application's name.
#pragma once

#include <windows.h>

#include <string>

enum class MessageIcon { kNone, kError };

// Shows `text` modally over `owner` (may be null) and returns when the user closes it.
void ShowMessage(HWND owner, const std::wstring& text, MessageIcon icon);

// The standard report of a failed file operation: `what` the program was doing (its own words),
// then the system's `reason`; shown with the error icon.
void ReportFileError(HWND owner, const std::wstring& what, const std::wstring& reason);
