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

// How a problem line names an item another item clashes with.
std::u16string Where(const rawfile::PlanItem& item, const CliTexts& t) {
    return item.row == 0 ? OneLine(item.path) : texts::RowName(item.row, t.language);
}

// Why the planner refused item `i` (`refusal`: the row's refusal or its clash), in the console's
// words.
std::u16string RefusalText(const BatchItems& batch, const std::vector<rawfile::PlanItem>& items,
                           std::size_t i, const rawfile::RowPlan& row, rawfile::Refusal refusal,
                           const CliTexts& t) {
    switch (refusal) {
        case rawfile::Refusal::kItem:
            return batch.problems.at(i);
        case rawfile::Refusal::kRow:
            if (items[i].problem.kind == rawfile::LogRowProblem::kLikelyMillimetres) {
                return Fill(t.allowWithMaxHeight,
                            {texts::RowProblemText(items[i].problem, t.language)});
            }
            return texts::RowProblemText(items[i].problem, t.language);
        case rawfile::Refusal::kNameNotText:
            return t.nameNotUtf8;
        case rawfile::Refusal::kLoad:
            return LoadFailureText(row.loadError, row.outcome.Error().reason, t);
        case rawfile::Refusal::kChangedSince:
            return Fill(t.changedSince, {row.oldHeight, items[i].undo->steps.back().newHeight});
        case rawfile::Refusal::kShortHead:
            return t.shortHead;
        case rawfile::Refusal::kBadOldHead:
            return Fill(t.badOldHead, {LoadFailureText(row.loadError, u"", t)});
        case rawfile::Refusal::kMissing:
            return t.undoMissing;
        case rawfile::Refusal::kRenamed:
            return Fill(t.undoRenamed, {OneLine(row.endPath)});
        case rawfile::Refusal::kSave:
            return SaveFailureText(row.outcome, OneLine(row.outcome.newPath), t);
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
    std::u16string oldName;
    std::u16string newName;
    const rawfile::PathStyle style = rawfile::PlatformPathStyle();
    return Fill(t.change, {OneLine(rawfile::NamePart(row.path, style), &oldName),
                           OneLine(rawfile::NamePart(row.outcome.newPath, style), &newName),
                           row.oldHeight, rawfile::BytesToText(row.outcome.heightText)});
}

// Reports one file's outcome; false when it failed. A batch prints a line for each of its
// files: the line is built in one piece.
bool ReportOutcome(const std::u16string& path, const rawfile::RowPlan& row, Console& console) {
    const CliTexts& t = console.Texts();
    std::u16string line;
    line.reserve(2 * path.size() + 64);
    AppendOneLine(&line, path);
    line += u": ";
    if (!row.alreadySavedAs.empty()) {
        AppendFilled(&line, t.alreadySaved, {OneLine(row.alreadySavedAs)});
    } else if (row.outcome.status == rawfile::SaveStatus::kUnchanged) {
        line += t.unchanged;
    } else if (row.outcome.status == rawfile::SaveStatus::kReady ||
               row.outcome.status == rawfile::SaveStatus::kSaved) {
        AppendFilled(&line,
                     row.outcome.status == rawfile::SaveStatus::kReady ? t.wouldSave : t.saved,
                     {ChangeText(row, t)});
    } else {
        console.Err(line + SaveFailureText(row.outcome, OneLine(row.outcome.newPath), t));
        return false;
    }
    console.Out(line);
    return true;
}

// Opens (or, in a dry run, only looks at) the change record before anything is checked, so
// that a file rows may not be added to is refused before any file changes. False, with the
// problem printed, when it is refused.
bool OpenRecord(const BatchOptions& options, rawfile::ChangeRecordWriter* record,
                Console& console) {
    rawfile::FileError error;
    rawfile::RecordPlace place = rawfile::InspectRecord(*options.record, options.input, &error);
    // A record not there yet is made only when the first rows are written.
    if (!options.dryRun && place != rawfile::RecordPlace::kNew &&
        place != rawfile::RecordPlace::kFailed) {
        place = record->Open(&error);
    }
    if (rawfile::MayAppend(place)) {
        return true;
    }
    console.Err(OneLine(*options.record) + u": " +
                texts::RecordRefused(place, error.reason, console.Texts().language));
    return false;
}

}  // namespace

rawfile::PlanItem& BatchItems::Add(std::size_t row, FileItem file,
                                   std::optional<std::u16string> pointName,
                                   std::optional<std::u16string> height) {
    if (!file.problem.empty()) {
        problems.emplace(items.size(), std::move(file.problem));
    }
    rawfile::PlanItem item;
    item.row = row;
    item.refused = problems.count(items.size()) != 0;
    item.exact = file.path.exact;
    item.path = std::move(file.path.text);
    item.pointName = std::move(pointName);
    item.height = std::move(height);
    items.push_back(std::move(item));
    return items.back();
}

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

int RunBatch(BatchItems batch, const BatchOptions& options, Console& console) {
    const CliTexts& t = console.Texts();
    rawfile::ChangeRecordWriter record(options.dryRun ? std::nullopt : options.record,
                                       options.input);
    if (options.record && !OpenRecord(options, &record, console)) {
        return 1;
    }
    rawfile::LogPlanner planner;
    // A dry run keeps of each row only what its line says.
    planner.Check(
        std::move(batch.items),
        [&console](std::size_t done, std::size_t total) { console.Progress(done, total); },
        options.dryRun, std::move(batch.listings));
    const std::vector<rawfile::PlanItem>& items = planner.Items();
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
            const std::u16string problem = RefusalText(batch, items, i, rows[i], refusal, t);
            // An undo names the file where it was found, if it was.
            const std::u16string& path =
                items[i].undo && !rows[i].path.empty() ? rows[i].path : items[i].path;
            const std::u16string text = path.empty() ? problem : OneLine(path) + u": " + problem;
            console.Err(items[i].row == 0 ? text : AtRow(options.logName, items[i].row, text, t));
        }
    }
    const std::size_t problems = planner.Problems();
    if (problems != 0 && !options.skipRefused) {
        console.Err(Fill(options.logName.empty() ? t.nothingChangedFiles
                         : options.changes       ? t.nothingChangedChanges
                                                 : t.nothingChanged,
                         {Number(problems)}));
        return 1;
    }
    std::size_t failed = 0;
    while (planner.Next() < rows.size()) {
        const std::size_t first = planner.Next();
        console.Progress(first, rows.size());
        const std::size_t count = planner.SaveNextGroup(&record, options.dryRun);
        bool recordFailed = false;
        for (std::size_t i = first; i < first + count; ++i) {
            if (rows[i].state == rawfile::RowState::kRefused) {
                continue;  // listed above
            }
            recordFailed |= rows[i].outcome.status == rawfile::SaveStatus::kJournalFailed;
            // An undo names the file where it was found: under its recorded new name or its old.
            const std::u16string& path = items[i].undo ? rows[i].path : items[i].path;
            if (!ReportOutcome(path, rows[i], console)) {
                ++failed;
            }
        }
        if (recordFailed) {
            // The next group could not be recorded either: stop before it.
            console.EndProgress();
            console.Err(Fill(t.recordFailed, {OneLine(*options.record)}));
            return 1;
        }
    }
    console.EndProgress();
    if (failed != 0) {
        console.Err(Fill(t.runAgain, {Number(failed), Number(rows.size())}));
    }
    if (problems != 0) {
        console.Err(Fill(t.skipped, {Number(problems), Number(rows.size())}));
    }
    return failed != 0 || problems != 0 ? 1 : 0;
}

}  // namespace rvxedit
