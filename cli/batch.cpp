#include "batch.h"

#include <map>
#include <memory>
#include <set>
#include <utility>

#include <ctime>

#include "change_record.h"
#include "escape.h"
#include "numbers.h"
#include "raw_view.h"
#include "record_file.h"
#include "text.h"

namespace rvxedit {

namespace {

// Files saved together: their headers flushed together, their folders once.
constexpr std::size_t kGroupSize = 64;

std::u16string Number(std::size_t n) {
    return rawfile::WholeNumberText(static_cast<long long>(n));
}

std::u16string NameOf(const std::u16string& path) {
    return rawfile::SplitRawPath(path, rawfile::PlatformPathStyle()).fileName;
}

// One file of the batch, loaded and rehearsed.
struct Job {
    const BatchItem* item = nullptr;
    std::unique_ptr<rawfile::RawFileEditor> editor;
    std::u16string pointName;
    std::u16string height;
    rawfile::SaveOutcome rehearsal;
    std::u16string alreadySavedAs;  // a log row that an earlier run has saved: the file's path
    std::optional<rawfile::HeaderBlock> block;  // an undo's: the block to put back
};

// True when every byte of `disk` is `older`'s or `newer`'s at its place, all 160 of them.
bool OldNewOrMix(const std::string& disk, const std::string& older, const std::string& newer) {
    if (disk.size() != rawfile::kBlockSize || newer.size() != rawfile::kBlockSize) {
        return false;
    }
    for (std::size_t i = 0; i < disk.size(); ++i) {
        if (disk[i] != newer[i] && (i >= older.size() || disk[i] != older[i])) {
            return false;
        }
    }
    return true;
}

class Batch {
public:
    Batch(const std::u16string& logName, Console& console)
        : logName_(logName), console_(console), t_(console.Texts()) {}

    // Loads the file an undo names, where the record left it or still under its old name, and
    // checks that it holds what the record says it does.
    bool LoadUndo(const BatchItem& item, Job* job) {
        const UndoTarget& undo = *item.undo;
        std::u16string reason;
        if (!LoadFile(item.file.path, t_, job->editor.get(), &reason) &&
            (undo.oldPath == item.file.path.text ||
             !LoadFile(Arg{undo.oldPath, true}, t_, job->editor.get(), &reason))) {
            Report(item, reason);
            return false;
        }
        const rawfile::RawFileEditor& e = *job->editor;
        const rawfile::SplitName old =
            rawfile::SplitRawPath(undo.oldPath, rawfile::PlatformPathStyle());
        if (old.folder != e.File().folder || !OldNewOrMix(e.Head(), undo.oldHead, undo.newHead)) {
            Report(item, t_.changedSince);
            return false;
        }
        if (undo.oldHead.size() != rawfile::kBlockSize) {
            Report(item, t_.shortHead);
            return false;
        }
        job->block.emplace();
        std::copy(undo.oldHead.begin(), undo.oldHead.end(), job->block->begin());
        job->pointName = old.fileName;
        job->height = undo.oldHeight;
        job->rehearsal = e.RehearseBlock(*job->block, job->pointName, job->height, &listings_);
        return true;
    }

    void Report(const BatchItem& item, const std::u16string& problem) {
        const std::u16string text =
            item.file.path.text.empty() ? problem : OneLine(item.file.path.text) + u": " + problem;
        console_.Err(item.row == 0 ? text : Fill(t_.atRow, {logName_, Number(item.row), text}));
        problems_.insert(item.row == 0 ? ++fileProblems_ : item.row);
    }

    std::size_t Problems() const { return problems_.size(); }

    // Loads and rehearses the item's save; on success adds it to *jobs.
    void Prepare(const BatchItem& item, std::vector<Job>* jobs) {
        if (!item.file.problem.empty()) {
            Report(item, item.file.problem);
            return;
        }
        Job job;
        job.item = &item;
        job.editor.reset(new rawfile::RawFileEditor);
        std::u16string reason;
        if (item.undo) {
            if (!LoadUndo(item, &job)) {
                return;
            }
        } else if (!LoadFile(item.file.path, t_, job.editor.get(), &reason) &&
                   !FindEarlierSave(item, &job)) {
            Report(item, reason);
            return;
        }
        rawfile::RawFileEditor& e = *job.editor;
        if (!item.undo) {
            job.pointName = item.pointName.value_or(e.PointName());
            job.height = item.height.value_or(e.HeightText());
            job.rehearsal = e.Rehearse(job.pointName, job.height, &listings_);
        }
        const rawfile::SaveStatus status = job.rehearsal.status;
        if (!job.alreadySavedAs.empty() && status != rawfile::SaveStatus::kUnchanged) {
            Report(item, reason);
            return;
        }
        if (status != rawfile::SaveStatus::kReady && status != rawfile::SaveStatus::kUnchanged) {
            Report(item, SaveFailureText(job.rehearsal, OneLine(job.rehearsal.plan.newPath), t_));
            return;
        }
        const std::u16string endPath =
            status == rawfile::SaveStatus::kReady ? job.rehearsal.plan.newPath : e.Path();
        FileKey fileKey;
        FileKey folderKey;
        if (!KeyOf(e.Path(), &fileKey) || !FolderKey(e.File().folder, &folderKey)) {
            Report(item, texts::LoadFailure(rawfile::LoadError::kOpenFailed, t_.language));
            return;
        }
        const auto sameFile = files_.emplace(fileKey, &item);
        if (!sameFile.second) {
            Report(item, Fill(t_.sameFile, {Where(*sameFile.first->second)}));
            return;
        }
        // Names compared as a file system that ignores letter case would: a log saved from a
        // receiver's memory card may well be applied on one.
        const auto sameEnd = endNames_.emplace(
            std::make_pair(folderKey, rawfile::AsciiUpper(NameOf(endPath))), &item);
        if (!sameEnd.second) {
            Report(item, Fill(t_.sameNewName, {Where(*sameEnd.first->second), OneLine(endPath)}));
            return;
        }
        jobs->push_back(std::move(job));
    }

    rawfile::FolderListings* Listings() { return &listings_; }

private:
    // The key of a folder, looked up once for each.
    bool FolderKey(const std::u16string& folder, FileKey* key) {
        const auto known = folderKeys_.find(folder);
        if (known != folderKeys_.end()) {
            *key = known->second;
            return true;
        }
        if (!KeyOf(folder.empty() ? u"." : folder, key)) {
            return false;
        }
        folderKeys_.emplace(folder, *key);
        return true;
    }

    // A file that is gone may have been saved by an earlier run of the same command (or log):
    // it then stands under its new name, with the fields asked for. What is known is said as it
    // is: the file named is not found, and the one under the new name has those fields.
    bool FindEarlierSave(const BatchItem& item, Job* job) {
        if (!item.pointName || KindOf(item.file.path.text) != EntryKind::kMissing) {
            return false;
        }
        const rawfile::SplitName split =
            rawfile::SplitRawPath(item.file.path.text, rawfile::PlatformPathStyle());
        const std::u16string tail = rawfile::DerivePointName(split.fileName).tail;
        const Arg saved{rawfile::ComposeRawPath(split.folder, *item.pointName, tail), true};
        std::u16string reason;
        if (rawfile::DerivePointName(split.fileName).pointName == *item.pointName ||
            saved.text == item.file.path.text || !LoadFile(saved, t_, job->editor.get(), &reason)) {
            return false;
        }
        job->alreadySavedAs = saved.text;
        return true;
    }

    // How a problem line names the item another item clashes with.
    std::u16string Where(const BatchItem& item) const {
        return item.row == 0 ? OneLine(item.file.path.text)
                             : Fill(t_.rowNumber, {Number(item.row)});
    }

    std::u16string logName_;
    Console& console_;
    const CliTexts& t_;
    std::set<std::size_t> problems_;
    std::size_t fileProblems_ = 0;
    rawfile::FolderListings listings_;
    std::map<std::u16string, FileKey> folderKeys_;
    std::map<FileKey, const BatchItem*> files_;
    std::map<std::pair<FileKey, std::u16string>, const BatchItem*> endNames_;
};

std::u16string ChangeText(const std::u16string& oldName, const std::u16string& oldHeight,
                          const rawfile::SavePlan& plan, const CliTexts& t) {
    return Fill(t.change, {OneLine(oldName), OneLine(NameOf(plan.newPath)), oldHeight,
                           rawfile::BytesToText(plan.height.text)});
}

// Reports one file's outcome; false when it failed.
bool ReportOutcome(const Job& job, const std::u16string& path, const std::u16string& oldName,
                   const std::u16string& oldHeight, const rawfile::SaveOutcome& outcome,
                   Console& console) {
    const CliTexts& t = console.Texts();
    const std::u16string where = OneLine(path) + u": ";
    if (!job.alreadySavedAs.empty()) {
        console.Out(where + Fill(t.alreadySaved, {OneLine(job.alreadySavedAs)}));
        return true;
    }
    switch (outcome.status) {
        case rawfile::SaveStatus::kUnchanged:
            console.Out(where + t.unchanged);
            return true;
        case rawfile::SaveStatus::kReady:
            console.Out(where +
                        Fill(t.wouldSave, {ChangeText(oldName, oldHeight, outcome.plan, t)}));
            return true;
        case rawfile::SaveStatus::kSaved:
            console.Out(where + Fill(t.saved, {ChangeText(oldName, oldHeight, outcome.plan, t)}));
            return true;
        default:
            console.Err(where + SaveFailureText(outcome, OneLine(outcome.plan.newPath), t));
            return false;
    }
}

// The change record, opened when the first file is about to be saved.
class Record {
public:
    explicit Record(const std::optional<std::u16string>& path) : path_(path) {}

    // Appends a row for each request and puts them on stable storage; false with *error set.
    bool Write(const std::vector<rawfile::SaveRequest>& requests, rawfile::FileError* error) {
        if (!path_ || requests.empty()) {
            return true;
        }
        bool empty = false;
        std::string rows;
        if (!file_.IsOpen()) {
            if (!file_.Open(*path_, &empty, error)) {
                return false;
            }
            rows = empty ? rawfile::ChangeRecordHeader() : "";
        }
        const std::string time = rawfile::UtcTimestamp(std::time(nullptr));
        for (const rawfile::SaveRequest& r : requests) {
            const rawfile::RawFileEditor& e = *r.editor;
            const rawfile::SavePlan& plan = r.outcome.plan;
            const std::u16string& folder = FullFolder(e);
            rows += rawfile::FormatChangeRow(
                {time, folder + e.FileName(), folder + NameOf(plan.newPath),
                 rawfile::Utf16ToUtf8(e.HeightText()), plan.height.text, e.Head(),
                 std::string(reinterpret_cast<const char*>(plan.block.data()), plan.block.size())});
        }
        return file_.Append(rows, error);
    }

private:
    // The full path of the editor's folder, found once for each folder.
    const std::u16string& FullFolder(const rawfile::RawFileEditor& e) {
        const auto known = folders_.find(e.File().folder);
        if (known != folders_.end()) {
            return known->second;
        }
        const std::u16string full = rawfile::FullPath(e.Path());
        return folders_[e.File().folder] =
                   rawfile::SplitRawPath(full, rawfile::PlatformPathStyle()).folder;
    }

    std::optional<std::u16string> path_;
    rawfile::AppendFile file_;
    std::map<std::u16string, std::u16string> folders_;
};

// False when the change record would be appended to a raw file, to a file of the batch or to
// the log or record the batch comes from: appending would change its bytes.
bool RecordPlaceIsSafe(const BatchOptions& options, const std::vector<BatchItem>& items) {
    const std::u16string name = rawfile::AsciiUpper(NameOf(*options.record));
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, u".RVX") == 0) {
        return false;
    }
    FileKey record;
    if (!KeyOf(*options.record, &record)) {
        return true;  // a record not yet made is no other file
    }
    FileKey other;
    if (!options.input.empty() && KeyOf(options.input, &other) && !(record < other) &&
        !(other < record)) {
        return false;
    }
    for (const BatchItem& item : items) {
        if (KeyOf(item.file.path.text, &other) && !(record < other) && !(other < record)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int RunBatch(const std::vector<BatchItem>& items, const BatchOptions& options, Console& console) {
    const CliTexts& t = console.Texts();
    if (options.record && !RecordPlaceIsSafe(options, items)) {
        console.Err(OneLine(*options.record) + u": " + t.recordIsInput);
        return 1;
    }
    Batch batch(options.logName, console);
    std::vector<Job> jobs;
    for (std::size_t i = 0; i < items.size(); ++i) {
        console.Progress(i, items.size());
        batch.Prepare(items[i], &jobs);
    }
    if (batch.Problems() != 0) {
        console.Err(Fill(options.logName.empty() ? t.nothingChangedFiles
                         : options.changes       ? t.nothingChangedChanges
                                                 : t.nothingChanged,
                         {Number(batch.Problems())}));
        return 1;
    }
    Record record(options.record);
    std::size_t failed = 0;
    for (std::size_t first = 0; first < jobs.size(); first += kGroupSize) {
        console.Progress(first, jobs.size());
        const std::size_t count = std::min(kGroupSize, jobs.size() - first);
        std::vector<rawfile::SaveRequest> group;
        std::vector<std::u16string> paths;
        std::vector<std::u16string> oldNames;
        std::vector<std::u16string> oldHeights;
        for (std::size_t i = first; i < first + count; ++i) {
            Job& job = jobs[i];
            // An undo names the file where it was found: under its recorded new name or its old.
            paths.push_back(job.item->undo ? job.editor->Path() : job.item->file.path.text);
            oldNames.push_back(job.editor->FileName());
            oldHeights.push_back(job.editor->HeightText());
            group.push_back(
                {job.editor.get(), job.pointName, job.height, job.rehearsal, job.block});
        }
        if (!options.dryRun) {
            std::vector<rawfile::SaveRequest> toSave;
            for (const rawfile::SaveRequest& r : group) {
                if (r.outcome.status == rawfile::SaveStatus::kReady) {
                    toSave.push_back(r);
                }
            }
            // Each file's row is on stable storage before the file changes.
            rawfile::FileError error;
            if (!record.Write(toSave, &error)) {
                console.EndProgress();
                console.Err(Fill(t.recordFailed, {OneLine(error.path), error.reason}));
                return 1;
            }
            rawfile::SaveGroup(toSave.data(), toSave.size(), batch.Listings());
            for (std::size_t i = 0, k = 0; i < group.size(); ++i) {
                if (group[i].outcome.status == rawfile::SaveStatus::kReady) {
                    group[i].outcome = toSave[k++].outcome;
                }
            }
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (!ReportOutcome(jobs[first + i], paths[i], oldNames[i], oldHeights[i],
                               group[i].outcome, console)) {
                ++failed;
            }
        }
    }
    console.EndProgress();
    if (failed != 0) {
        console.Err(Fill(t.runAgain, {Number(failed), Number(jobs.size())}));
        return 1;
    }
    return 0;
}

}  // namespace rvxedit
