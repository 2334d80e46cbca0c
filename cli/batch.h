// A batch of saves, as set and apply run it: every file is loaded and its save rehearsed, and
// the files are checked against each other, before any file changes; if any has a problem,
// nothing changes. Then the files are saved in groups, each file's line printed once its
// header and name are on stable storage.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "console.h"
#include "folders.h"

namespace rvxedit {

// One file of a batch and the fields it should get (none: the file's own).
struct BatchItem {
    std::size_t row = 0;  // the field log's row; 0 for a file named on the command line
    FileItem file;
    std::optional<std::u16string> pointName;
    std::optional<std::u16string> height;
};

// Runs the batch and returns the exit status. `logName` names the field log in problem lines
// (empty for set).
int RunBatch(const std::vector<BatchItem>& items, const std::u16string& logName, bool dryRun,
             Console& console);

}  // namespace rvxedit
