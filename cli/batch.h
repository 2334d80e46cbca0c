// A batch of saves, as set and apply run it: every file is loaded and its save rehearsed, and
// the files are checked against each other, before any file changes; if any has a problem,
// nothing changes. Then the files are saved in groups, each file's line printed once its
// header and name are on stable storage.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "console.h"
#include "folders.h"
#include "log_plan.h"

namespace rvxedit {

// The files of a batch and the fields each should get, as the planner takes them, with the
// front end's own reason for each item it refuses (PlanItem::refused).
struct BatchItems {
    std::vector<rawfile::PlanItem> items;
    std::map<std::size_t, std::u16string> problems;  // by item
    // The folders listed while the items were gathered, for the checks to use.
    rawfile::FolderListings listings;

    // Adds `file` (a problem of its own refuses it) for `row`, to get these fields.
    rawfile::PlanItem& Add(std::size_t row, FileItem file,
                           std::optional<std::u16string> pointName = std::nullopt,
                           std::optional<std::u16string> height = std::nullopt);
};

struct BatchOptions {
    std::u16string logName;  // names the field log or record in problem lines (empty for set)
    bool dryRun = false;
    std::optional<std::u16string> record;  // the change record to append to
    bool changes = false;      // the items are a record's changes (for the closing line)
    std::u16string input;      // the field log or record the items come from (empty for set)
    bool skipRefused = false;  // save the items not refused, and fail at the end
};

// How problem lines name the field log or record `arg` the batch comes from, in *name. False,
// with the problem printed, when the name cannot be used (it is not valid text).
bool NameInput(const Arg& arg, Console& console, std::u16string* name);

// A problem at row `row` of the field log or record `name`.
std::u16string AtRow(const std::u16string& name, std::size_t row, const std::u16string& problem,
                     const CliTexts& t);

// Runs the batch and returns the exit status; the items are the planner's from then on.
int RunBatch(BatchItems items, const BatchOptions& options, Console& console);

}  // namespace rvxedit
