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

// Puts back every file a change record names, newest change first, once every row has been
// checked.
int RunUndo(const Options& options, Console& console);

}  // namespace rvxedit
