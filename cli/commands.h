// The commands of rvxedit. Each works through its files in order, reports every file, and
// returns the exit status: 0 when every file succeeded, 1 when any failed.
#pragma once

#include <string>

#include "console.h"
#include "editing.h"
#include "options.h"

namespace rvxedit {

// Prints each file's header values, point name, heights and millimetre field.
int RunShow(const Options& options, Console& console);

// Corrects each file's point name and antenna height as the dialog's save does.
int RunSet(const Options& options, Console& console);

// Corrects the files a field log names, each as `set` does, once every row has been checked.
int RunApply(const Options& options, Console& console);

// The save step of set and apply: saves the fields on the loaded file (with `dryRun`, only
// checks them) and reports the outcome in one line, on standard output when the file is saved,
// unchanged or would be saved, on standard error otherwise. False when it failed.
bool SaveAndReport(rawfile::RawFileEditor& editor, const std::u16string& pointName,
                   const std::u16string& height, bool dryRun, Console& console);

}  // namespace rvxedit
