// Where the editor and its field-log window record every change they save, so that rvxedit undo
// can put it back, and what they say when another program holds the record.
#pragma once

#include <optional>
#include <string>

#include "file_ops.h"
#include "messages.h"

// %LOCALAPPDATA%\RVXTOOL\changes.csv, its folder created when missing; none when the profile
// folder is unknown.
std::optional<std::u16string> ChangeRecordPath();

// When `error` is the record's open refused because another program holds it (a spreadsheet
// that has it open), the message saying so, with that program's name where the system can
// tell; none for any other error.
std::optional<std::u16string> RecordHeldMessage(const rawfile::FileError& error,
                                                texts::Language language);
