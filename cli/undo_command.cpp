#include <map>

#include "batch.h"
#include "change_record.h"
#include "commands.h"
#include "escape.h"
#include "folders.h"
#include "text.h"

namespace rvxedit {

namespace {

// A record larger than this is no change record.
constexpr std::size_t kMaxRecordBytes = 256u << 20;

// The record's changes as undo puts them back: newest first, and a file's changes one after
// another (A -> B, then B -> C) folded into one (C -> A), so that each file is saved once.
std::vector<BatchItem> Changes(const rawfile::ChangeRecord& record) {
    std::vector<BatchItem> items;
    // Each folded change by the path and header it will put back.
    std::map<std::pair<std::u16string, std::string>, std::size_t> byTarget;
    for (std::size_t i = record.rows.size(); i-- > 0;) {
        const rawfile::ChangeRow& row = record.rows[i];
        const auto earlier = byTarget.find({row.newPath, row.newHead});
        if (earlier != byTarget.end()) {
            UndoTarget& undo = *items[earlier->second].undo;
            undo.oldPath = row.oldPath;
            undo.oldHead = row.oldHead;
            undo.oldHeight = rawfile::Utf8ToUtf16(row.oldHeight);
            const std::size_t index = earlier->second;
            byTarget.erase(earlier);
            byTarget[{row.oldPath, row.oldHead}] = index;
            continue;
        }
        BatchItem item;
        item.row = record.rowNumbers[i];
        item.file.path = Arg{row.newPath, true};
        item.undo =
            UndoTarget{row.oldPath, row.oldHead, row.newHead, rawfile::Utf8ToUtf16(row.oldHeight)};
        byTarget[{row.oldPath, row.oldHead}] = items.size();
        items.push_back(item);
    }
    return items;
}

}  // namespace

int RunUndo(const Options& options, Console& console) {
    const CliTexts& t = console.Texts();
    const Arg& recordArg = options.files[0];
    std::u16string name;
    if (!NameInput(recordArg, console, &name)) {
        return 1;
    }
    std::string bytes;
    bool tooLarge = false;
    std::u16string reason;
    if (!ReadFileUpTo(recordArg.text, kMaxRecordBytes, &bytes, &tooLarge, &reason)) {
        console.Err(name + u": " + Fill(t.recordUnreadable, {tooLarge ? u"> 256 MiB" : reason}));
        return 1;
    }
    const rawfile::ChangeRecord record = rawfile::ParseChangeRecord(bytes);
    if (!record.ok) {
        console.Err(AtRow(name, record.badRow, t.notChangeRecord, t));
        return 1;
    }
    BatchOptions batch{name, options.dryRun, options.record, true, recordArg.text};
    return RunBatch(Changes(record), batch, console);
}

}  // namespace rvxedit
