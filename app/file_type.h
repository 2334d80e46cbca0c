// Registration of the raw file type with the shell, at every start. Every failure is silent.
#pragma once

#include <string>

// Ties ".RVX" to the file type "RVXfile" with its description, icon and open command.
void RegisterRawFileType();

// Writes the keys of the file type "RVXfile" for the program at `programPath`; an empty path
// leaves the icon and the command as they are. Returns 1 when every key it wrote was reached,
// 0 when it stopped at a key it could neither open nor create.
int WriteProgIdKeys(const std::wstring& programPath);
