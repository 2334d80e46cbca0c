// The system's file-open dialog (the Vista-style one).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct FileFilter {
    std::wstring name;     // shown in the type list, e.g. L"Raw File(*.RVX)"
    std::wstring pattern;  // e.g. L"*.RVX"
};

// Lets the user choose one existing file, starting in `folder` (a full path) when it is given
// and can be shown, otherwise where the system chooses. True with *path set when a file was
// chosen; false when the user cancelled or the dialog could not be shown.
bool ChooseFileToOpen(HWND owner, const std::wstring& title, const std::vector<FileFilter>& filters,
                      const std::wstring& folder, std::wstring* path);
