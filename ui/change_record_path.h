// Where the editor and its field-log window record every change they save, so that rvxedit undo
// can put it back.
#pragma once

#include <optional>
#include <string>

// %LOCALAPPDATA%\RVXTOOL\changes.csv, its folder created when missing; none when the profile
// folder is unknown.
std::optional<std::u16string> ChangeRecordPath();
