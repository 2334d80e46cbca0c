#include <map>
#include <set>
#include <utility>

#include "commands.h"
#include "escape.h"
#include "field_log.h"
#include "folders.h"
#include "raw_view.h"

namespace rvxedit {

namespace {

// One file of the log, loaded and checked, waiting to be saved.
struct Job {
    rawfile::RawFileEditor editor;
    std::u16string pointName;
    std::u16string height;
};

// A file name compared as a file system that ignores letter case would: a log saved from a
// receiver's memory card may well be applied on one.
std::u16string FoldCase(std::u16string name) {
    for (char16_t& c : name) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return name;
}

std::u16string Number(std::size_t n) {
    return Widen(std::to_string(n));
}

// Checks every row of the log before anything changes: each file loads and takes its new
// fields as `set` would save them, no file is named twice (by whatever path), no two files end
// at the same name, and no new name is held by a file on disk, even one that another row
// renames away (such a chain runs in two steps).
class Checker {
public:
    Checker(const std::u16string& logName, Console& console)
        : logName_(logName), console_(console), t_(console.Texts()) {}

    void Report(std::size_t row, const std::u16string& file, const std::u16string& problem) {
        const std::u16string text = file.empty() ? problem : OneLine(file) + u": " + problem;
        console_.Err(Fill(t_.atRow, {logName_, Number(row), text}));
        problemRows_.insert(row);
    }

    std::size_t ProblemRows() const { return problemRows_.size(); }

    // Loads and checks one file of the row; on success adds it to *jobs.
    void Check(const LogRow& row, const Arg& file, std::vector<Job>* jobs) {
        Job job;
        std::u16string reason;
        if (!LoadFile(file, t_, &job.editor, &reason)) {
            Report(row.number, file.text, reason);
            return;
        }
        const rawfile::RawFileEditor& e = job.editor;
        job.pointName = row.pointName.value_or(e.PointName());
        job.height = row.height.value_or(e.HeightText());
        const rawfile::SaveOutcome outcome = e.Check(job.pointName, job.height);
        if (outcome.status == rawfile::SaveStatus::kRefused) {
            Report(row.number, file.text,
                   SaveFailureText(outcome, OneLine(outcome.plan.newPath), t_));
            return;
        }
        const bool renamed = outcome.status == rawfile::SaveStatus::kReady;
        const std::u16string endPath = renamed ? outcome.plan.newPath : e.Path();
        const std::u16string endName =
            renamed ? outcome.plan.pointName + e.File().tail : e.FileName();
        FileKey fileKey;
        FileKey folderKey;
        if (!KeyOf(e.Path(), &fileKey) ||
            !KeyOf(e.File().folder.empty() ? u"." : e.File().folder, &folderKey)) {
            Report(row.number, file.text,
                   texts::LoadFailure(rawfile::LoadError::kOpenFailed, t_.language));
            return;
        }
        const auto sameFile = files_.emplace(fileKey, row.number);
        if (!sameFile.second) {
            Report(row.number, file.text, Fill(t_.sameFile, {Number(sameFile.first->second)}));
            return;
        }
        const auto sameEnd =
            endNames_.emplace(std::make_pair(folderKey, FoldCase(endName)), row.number);
        if (!sameEnd.second) {
            Report(row.number, file.text,
                   Fill(t_.sameNewName, {Number(sameEnd.first->second), OneLine(endPath)}));
            return;
        }
        jobs->push_back(std::move(job));
    }

private:
    std::u16string logName_;
    Console& console_;
    const CliTexts& t_;
    std::set<std::size_t> problemRows_;
    std::map<FileKey, std::size_t> files_;
    std::map<std::pair<FileKey, std::u16string>, std::size_t> endNames_;
};

}  // namespace

int RunApply(const Options& options, Console& console) {
    const CliTexts& t = console.Texts();
    const Arg& logArg = options.files[0];
    const std::u16string logName = OneLine(logArg.text);
    if (!logArg.exact) {
        console.Err(logName + u": " + t.nameNotUtf8);
        return 1;
    }
    const FieldLog log = ReadFieldLog(logArg.text, t);
    if (!log.problem.empty()) {
        console.Err(log.problemRow == 0
                        ? logName + u": " + log.problem
                        : Fill(t.atRow, {logName, Number(log.problemRow), log.problem}));
        return 1;
    }
    Checker checker(logName, console);
    std::vector<std::pair<const LogRow*, FileItem>> items;
    for (const LogRow& row : log.rows) {
        if (!row.problem.empty()) {
            items.emplace_back(&row, FileItem{row.file, row.problem});
            continue;
        }
        std::vector<FileItem> expanded;
        ExpandArg(row.file, options.recursive, t, &expanded);
        for (FileItem& item : expanded) {
            items.emplace_back(&row, std::move(item));
        }
    }
    std::vector<Job> jobs;
    for (std::size_t i = 0; i < items.size(); ++i) {
        console.Progress(i, items.size());
        const LogRow& row = *items[i].first;
        const FileItem& item = items[i].second;
        if (!item.problem.empty()) {
            checker.Report(row.number, item.path.text, item.problem);
        } else {
            checker.Check(row, item.path, &jobs);
        }
    }
    if (checker.ProblemRows() != 0) {
        console.Err(Fill(t.nothingChanged, {Number(checker.ProblemRows())}));
        return 1;
    }
    // Only a failure at the disk can stop a file now; the others are still saved.
    int status = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        console.Progress(i, jobs.size());
        Job& job = jobs[i];
        if (!SaveAndReport(job.editor, job.pointName, job.height, options.dryRun, console)) {
            status = 1;
        }
    }
    console.EndProgress();
    return status;
}

}  // namespace rvxedit
