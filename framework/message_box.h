// Message reports: a modal box with one OK button, captioned with the application's name; and
// the questions the program asks.
#pragma once

#include <windows.h>

#include <string>

enum class MessageIcon { kNone, kError };

// Shows `text` modally over `owner` (may be null) and returns when the user closes it.
void ShowMessage(HWND owner, const std::wstring& text, MessageIcon icon);

// The standard report of a failed file operation: `what` the program was doing (its own words),
// then the system's `reason`; shown with the error icon.
void ReportFileError(HWND owner, const std::wstring& what, const std::wstring& reason);

// Asks `text` with the buttons Yes, No and Cancel (Yes the default, their texts in `language`
// where the system has it) and a warning icon; returns IDYES, IDNO or IDCANCEL (also for Escape
// and the close box).
int AskYesNoCancel(HWND owner, const std::wstring& text, LANGID language);

// Asks `text` with the buttons Yes and No (No the default, so that Enter does not take the
// unusual answer) and a warning icon; returns IDYES or IDNO.
int AskYesNo(HWND owner, const std::wstring& text, LANGID language);

// The system's text for error `code` (GetLastError()) in `language` when the system has it in
// that language, otherwise in the user's; without its line break. Empty when the system has none.
std::wstring SystemErrorText(DWORD code, LANGID language);
