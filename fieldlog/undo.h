// Undo: a change record read as a history. A file's rows follow it from name to name (a row's
// new path is a later row's old path), and are put back newest first, each against the state
// the newer row left, down to the oldest row's old header and name. Rows a run added again
// after it was cut short (the same change twice, or a change whose header had reached the disk)
// belong to the same history.
#pragma once

#include <string>
#include <vector>

#include "change_record.h"
#include "loader.h"
#include "log_plan.h"

namespace rawfile {

// One plan item for each file the record's rows name, its rows as its history; newest history
// first, each item's row its newest row and its path where that row left the file.
std::vector<PlanItem> UndoItems(const ChangeRecord& record);

// The paths the history leaves its file under, newest first, each once.
std::vector<std::u16string> UndoPaths(const UndoTarget& undo);

// True when a file at `path` holding `head` stands where the history left it: in a state its
// rows give (or one a row's save cut short left: its old name with its new header, or a mix of
// the two headers), or where an undo cut short left it (a name of the history with the oldest
// header, or a mix of it and that name's header).
bool HoldsHistoryState(const UndoTarget& undo, const std::u16string& path, const std::string& head);

// How the file at `path` would load once `oldHead` is its first 160 bytes again: the loader's
// verdict on those bytes and the rest of the file.
LoadError LoadWithHead(const std::string& oldHead, const std::u16string& path);

// The names of the raw files (.RVX, any letter case) in `folder`, without the folder; none
// when it cannot be read.
std::vector<std::u16string> RawFileNamesIn(const std::u16string& folder);

}  // namespace rawfile
