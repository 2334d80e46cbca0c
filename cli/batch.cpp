#include "batch.h"

#include "escape.h"
#include "log_messages.h"
#include "numbers.h"
#include "raw_view.h"
#include "text.h"

namespace rvxedit {

namespace {

std::u16string Number(std::size_t n) {
    return rawfile::WholeNumberText(static_cast<long long>(n));
}

std::u16string NameOf(const std::u16string& path) {
    return rawfile::SplitRawPath(path, rawfile::PlatformPathStyle()).fileName;
}

// How a problem line names an item another item clashes with.
std::u16string Where(const BatchItem& item, const CliTexts& t) {
    return item.row == 0 ? OneLine(item.file.path.text) : texts::RowName(item.row, t.language);
}

// Why the planner refused item `i` (`refusal`: the row's refusal or its clash), in the console's
// words.
std::u16string RefusalText(const std::vector<BatchItem>& items, std::size_t i,
                           const rawfile::RowPlan& row, rawfile::Refusal refusal,
                           const CliTexts& t) {
    switch (refusal) {
        case rawfile::Refusal::kItem:
            return items[i].file.problem;
        case rawfile::Refusal::kRow:
            return texts::RowProblemText(items[i].problem, t.language);
        case rawfile::Refusal::kNameNotText:
            return t.nameNotUtf8;
        case rawfile::Refusal::kLoad:
            return LoadFailureText(row.loadError, row.readError.reason, t);
        case rawfile::Refusal::kChangedSince:
            return t.changedSince;
        case rawfile::Refusal::kShortHead:
            return t.shortHead;
        case rawfile::Refusal::kSave:
            return SaveFailureText(row.outcome, OneLine(row.outcome.plan.newPath), t);
        case rawfile::Refusal::kSameFile:
            return texts::SameFileText(Where(items[row.other], t), t.language);
        case rawfile::Refusal::kSameNewName:
            return texts::SameNewNameText(Where(items[row.other], t), OneLine(row.endPath),
                                          t.language);
        default:
            return texts::LoadFailure(rawfile::LoadError::kOpenFailed, t.language);
    }
}

std::u16string ChangeText(const rawfile::RowPlan& row, const CliTexts& t) {
    const rawfile::SavePlan& plan = row.outcome.plan;
    return Fill(t.change, {OneLine(row.oldName), OneLine(NameOf(plan.newPath)), row.oldHeight,
                           rawfile::BytesToText(plan.height.text)});
}

// Reports one file's outcome; false when it failed.
bool ReportOutcome(const std::u16string& path, const rawfile::RowPlan& row, Console& console) {
    const CliTexts& t = console.Texts();
    const std::u16string where = OneLine(path) + u": ";
    if (!row.alreadySavedAs.empty()) {
        console.Out(where + Fill(t.alreadySaved, {OneLine(row.alreadySavedAs)}));
        return true;
    }
    switch (row.outcome.status) {
        case rawfile::SaveStatus::kUnchanged:
            console.Out(where + t.unchanged);
            return true;
        case rawfile::SaveStatus::kReady:
            console.Out(where + Fill(t.wouldSave, {ChangeText(row, t)}));
            return true;
        case rawfile::SaveStatus::kSaved:
            console.Out(where + Fill(t.saved, {ChangeText(row, t)}));
            return true;
        default:
            console.Err(where + SaveFailureText(row.outcome, OneLine(row.outcome.plan.newPath), t));
            return false;
    }
}

// False when the change record would be appended to a raw file, to a file of the batch or to
// the log or record the batch comes from: appending would change its bytes.
bool RecordPlaceIsSafe(const BatchOptions& options, const std::vector<BatchItem>& items) {
    if (IsRawFileName(NameOf(*options.record))) {
        return false;
    }
    rawfile::FileKey record;
    if (!rawfile::KeyOf(*options.record, &record)) {
        return true;  // a record not yet made is no other file
    }
    const auto isRecord = [&record](const std::u16string& path) {
        rawfile::FileKey other;
        return rawfile::KeyOf(path, &other) && other == record;
    };
    if (!options.input.empty() && isRecord(options.input)) {
        return false;
    }
    for (const BatchItem& item : items) {
        if (isRecord(item.file.path.text)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool NameInput(const Arg& arg, Console& console, std::u16string* name) {
    *name = OneLine(arg.text);
    if (!arg.exact) {
        console.Err(*name + u": " + console.Texts().nameNotUtf8);
        return false;
    }
    return true;
}

std::u16string AtRow(const std::u16string& name, std::size_t row, const std::u16string& problem,
                     const CliTexts& t) {
    return Fill(t.atRow, {name, Number(row), problem});
}

int RunBatch(const std::vector<BatchItem>& items, const BatchOptions& options, Console& console) {
    const CliTexts& t = console.Texts();
    if (options.record && !RecordPlaceIsSafe(options, items)) {
        console.Err(OneLine(*options.record) + u": " + t.recordIsInput);
        return 1;
    }
    std::vector<rawfile::PlanItem> planItems;
    for (const BatchItem& item : items) {
        planItems.push_back({item.row, item.file.path.text, !item.file.problem.empty(),
                             item.file.path.exact, item.pointName, item.height, item.undo,
                             item.problem});
    }
    rawfile::LogPlanner planner;
    planner.Check(std::move(planItems), [&console](std::size_t done, std::size_t total) {
        console.Progress(done, total);
    });
    const std::vector<rawfile::RowPlan>& rows = planner.Rows();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (rows[i].state != rawfile::RowState::kRefused) {
            continue;
        }
        // A row refused for a problem of its own may clash with another as well: both are told.
        for (const rawfile::Refusal refusal : {rows[i].refusal, rows[i].clash}) {
            if (refusal == rawfile::Refusal::kNone) {
                continue;
            }
            const std::u16string problem = RefusalText(items, i, rows[i], refusal, t);
            const std::u16string text = items[i].file.path.text.empty()
                                            ? problem
                                            : OneLine(items[i].file.path.text) + u": " + problem;
            console.Err(items[i].row == 0 ? text : AtRow(options.logName, items[i].row, text, t));
        }
    }
    if (planner.Problems() != 0) {
        console.Err(Fill(options.logName.empty() ? t.nothingChangedFiles
                         : options.changes       ? t.nothingChangedChanges
                                                 : t.nothingChanged,
                         {Number(planner.Problems())}));
        return 1;
    }
    rawfile::ChangeRecordWriter record(options.dryRun ? std::nullopt : options.record);
    std::size_t failed = 0;
    while (planner.Next() < rows.size()) {
        const std::size_t first = planner.Next();
        console.Progress(first, rows.size());
        bool recordOk = true;
        rawfile::FileError error;
        const std::size_t count = planner.SaveNextGroup(&record, options.dryRun, &recordOk, &error);
        if (!recordOk) {
            console.EndProgress();
            console.Err(Fill(t.recordFailed, {OneLine(error.path), error.reason}));
            return 1;
        }
        for (std::size_t i = first; i < first + count; ++i) {
            // An undo names the file where it was found: under its recorded new name or its old.
            const std::u16string& path = items[i].undo ? rows[i].path : items[i].file.path.text;
            if (!ReportOutcome(path, rows[i], console)) {
                ++failed;
            }
        }
    }
    console.EndProgress();
    if (failed != 0) {
        console.Err(Fill(t.runAgain, {Number(failed), Number(rows.size())}));
        return 1;
    }
    return 0;
}

}  // namespace rvxedit
