#include "batch.h"

#include <map>
#include <memory>
#include <set>
#include <utility>

#include "escape.h"
#include "numbers.h"
#include "raw_view.h"
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
};

class Batch {
public:
    Batch(const std::u16string& logName, Console& console)
        : logName_(logName), console_(console), t_(console.Texts()) {}

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
        if (!LoadFile(item.file.path, t_, job.editor.get(), &reason)) {
            if (!FindEarlierSave(item, &job)) {
                Report(item, reason);
                return;
            }
        }
        rawfile::RawFileEditor& e = *job.editor;
        job.pointName = item.pointName.value_or(e.PointName());
        job.height = item.height.value_or(e.HeightText());
        job.rehearsal = e.Rehearse(job.pointName, job.height, &listings_);
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
        if (!KeyOf(e.Path(), &fileKey) ||
            !KeyOf(e.File().folder.empty() ? u"." : e.File().folder, &folderKey)) {
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

}  // namespace

int RunBatch(const std::vector<BatchItem>& items, const std::u16string& logName, bool dryRun,
             Console& console) {
    const CliTexts& t = console.Texts();
    Batch batch(logName, console);
    std::vector<Job> jobs;
    for (std::size_t i = 0; i < items.size(); ++i) {
        console.Progress(i, items.size());
        batch.Prepare(items[i], &jobs);
    }
    if (batch.Problems() != 0) {
        console.Err(Fill(logName.empty() ? t.nothingChangedFiles : t.nothingChanged,
                         {Number(batch.Problems())}));
        return 1;
    }
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
            paths.push_back(job.item->file.path.text);
            oldNames.push_back(job.editor->FileName());
            oldHeights.push_back(job.editor->HeightText());
            group.push_back({job.editor.get(), job.pointName, job.height, job.rehearsal});
        }
        if (!dryRun) {
            std::vector<rawfile::SaveRequest> toSave;
            for (const rawfile::SaveRequest& r : group) {
                if (r.outcome.status == rawfile::SaveStatus::kReady) {
                    toSave.push_back(r);
                }
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
