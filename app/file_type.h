// Registration of the raw file type with the shell, at every start. Every failure is silent.
#pragma once

#include <windows.h>

#include <string>

// Ties ".RVX" to the file type "RVXfile" with its description, icon and open command, and lists
// the type under ".RVX\OpenWithProgids", in HKEY_CLASSES_ROOT; where the system refuses a key or
// value there (a standard user on Windows 10/11), the same keys go under
// HKEY_CURRENT_USER\Software\Classes, for this user alone.
void RegisterRawFileType();

// The same for the program at `programPath`, with `classes` standing for HKEY_CLASSES_ROOT and
// `userClasses` (may be null) for the user's classes.
void RegisterRawFileTypeUnder(HKEY classes, HKEY userClasses, const std::wstring& programPath);
