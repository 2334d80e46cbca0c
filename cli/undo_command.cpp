#include "batch.h"
#include "change_record.h"
#include "commands.h"
#include "escape.h"
#include "folders.h"
#include "text.h"
#include "undo.h"

namespace rvxedit {

namespace {

// A record larger than this is no change record.
constexpr std::size_t kMaxRecordBytes = 256u << 20;

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
    if (record.rows.empty()) {
        console.Out(name + u": " + t.recordEmpty);
        return 0;
    }
    BatchItems items;
    items.items = rawfile::UndoItems(record);
    BatchOptions batch{name, options.dryRun, options.record,
                       true, recordArg.text, options.skipChanged};
    return RunBatch(std::move(items), batch, console);
}

}  // namespace rvxedit
