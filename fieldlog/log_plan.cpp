#include "log_plan.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <utility>

#include "change_record.h"
#include "paths.h"
#include "raw_file_name.h"
#include "text.h"
#include "undo.h"

namespace rawfile {

namespace {

std::u16string NameOf(const std::u16string& path) {
    return SplitRawPath(path, PlatformPathStyle()).fileName;
}

// The rehearsal passed the row: it would be saved, or needs nothing.
bool Rehearsed(SaveStatus status) {
    return status == SaveStatus::kReady || status == SaveStatus::kUnchanged;
}

}  // namespace

// One file of the batch, loaded and rehearsed.
struct LogPlanner::Job {
    RawFileEditor editor;
    std::u16string pointName;
    std::u16string height;
    std::optional<HeaderBlock> block;  // an undo's: the block to put back
};

RowOutcome::RowOutcome(SaveOutcome outcome)
    : status(outcome.status),
      refusal(outcome.refusal),
      pointName(std::move(outcome.plan.pointName)),
      heightText(std::move(outcome.plan.height.text)),
      newPath(std::move(outcome.plan.newPath)) {
    if (outcome.error.code != 0 || !outcome.error.reason.empty() || !outcome.error.path.empty()) {
        SetError(outcome.error);
    }
}

const FileError& RowOutcome::Error() const {
    static const FileError kNone;
    return error_ ? *error_ : kNone;
}

void RowOutcome::SetError(const FileError& error) {
    error_ = std::make_shared<const FileError>(error);
}

std::u16string RowPlan::OldName() const {
    return NameOf(path);
}

std::u16string RowPlan::OldPoint() const {
    return DerivePointName(NameOf(path)).pointName;
}

LogPlanner::LogPlanner() = default;
LogPlanner::~LogPlanner() = default;

RecordPlace ChangeRecordWriter::Open(FileError* error) {
    if (path_ && !file_.IsOpen()) {
        place_ = file_.Open(*path_, input_, error);
        columnsDue_ = place_ == RecordPlace::kNew || place_ == RecordPlace::kEmpty;
        // A record the system would not open keeps the system's words: another program may
        // hold it.
        if (!MayAppend(place_) && place_ != RecordPlace::kFailed && place_ != RecordPlace::kBusy) {
            *error = FileError{FileOp::kOpen, *path_, 0, u""};
        }
    }
    return place_;
}

bool ChangeRecordWriter::Note(const std::vector<const SaveRequest*>& ready, FileError* error) {
    if (!path_ || ready.empty()) {
        return true;
    }
    if (!file_.IsOpen() && !MayAppend(Open(error))) {
        return false;
    }
    std::string rows = columnsDue_ ? ChangeRecordHeader() : "";
    const std::string time = UtcTimestamp(std::time(nullptr));
    for (const SaveRequest* r : ready) {
        const RawFileEditor& e = *r->editor;
        const SavePlan& plan = r->outcome.plan;
        const std::u16string& folder = FullFolder(e);
        rows += FormatChangeRow(
            {time, folder + e.FileName(), folder + NameOf(plan.newPath),
             Utf16ToUtf8(e.HeightText()), plan.height.text, e.Head(),
             std::string(reinterpret_cast<const char*>(plan.block.data()), plan.block.size())});
    }
    if (!file_.Append(rows, error)) {
        return false;
    }
    columnsDue_ = false;
    return true;
}

// The full path of the editor's folder, found once for each folder.
const std::u16string& ChangeRecordWriter::FullFolder(const RawFileEditor& e) {
    const auto known = folders_.find(e.File().folder);
    if (known != folders_.end()) {
        return known->second;
    }
    const std::u16string full = FullPath(e.Path());
    return folders_[e.File().folder] = SplitRawPath(full, PlatformPathStyle()).folder;
}

void LogPlanner::Refuse(std::size_t index, Refusal refusal) {
    rows_[index].state = RowState::kRefused;
    rows_[index].refusal = refusal;
    const std::size_t row = items_[index].row;
    problemRows_.insert(row == 0 ? ++fileProblems_ : row);
    jobs_[index].reset();
}

// Loads the file through `hold` when it can be held (one open for its identity, its header and
// the rehearsal), else by its path, so that the rehearsal meets and reports what keeps it out.
bool LogPlanner::Load(const std::u16string& path, bool exact, RawFileEditor* editor, RowPlan* row,
                      HeldFile* hold) {
    if (!exact) {
        row->refusal = Refusal::kNameNotText;
        return false;
    }
    FileError ignored;
    FileError readError;
    row->loadError = hold->Open(path, &ignored, true, &listings_)
                         ? editor->Load(*hold, PlatformPathStyle(), &readError)
                         : editor->Load(path, PlatformPathStyle(), &readError);
    if (row->loadError == LoadError::kReadFailed || row->loadError == LoadError::kOpenFailed) {
        row->outcome.SetError(readError);
    }
    row->refusal = row->loadError == LoadError::kNone ? Refusal::kNone : Refusal::kLoad;
    return row->loadError == LoadError::kNone;
}

// Finds the file an undo names under the newest name its history gives it, and loads it. When it
// is under none, a raw file in those names' folders that no row of the record names and that
// alone there holds a header of its history is where it may have gone.
bool LogPlanner::FindUndoFile(std::size_t index, Job* job, HeldFile* hold) {
    const UndoTarget& undo = *items_[index].undo;
    RowPlan& row = rows_[index];
    const std::vector<std::u16string> paths = UndoPaths(undo);
    for (const std::u16string& path : paths) {
        if (KindOf(path) != EntryKind::kMissing) {
            row.path = path;
            return Load(path, true, &job->editor, &row, hold);
        }
    }
    row.refusal = Refusal::kMissing;
    if (recordPaths_.empty()) {
        for (const PlanItem& item : items_) {
            for (const std::u16string& path :
                 item.undo ? UndoPaths(*item.undo) : std::vector<std::u16string>()) {
                recordPaths_.insert(path);
            }
        }
    }
    for (const std::u16string& path : paths) {
        const std::u16string folder = SplitRawPath(path, PlatformPathStyle()).folder;
        if (folderHeads_.count(folder) == 0) {
            std::map<std::string, std::u16string>& heads = folderHeads_[folder];
            for (const std::u16string& name : RawFileNamesIn(folder)) {
                std::FILE* f =
                    recordPaths_.count(folder + name) ? nullptr : OpenForReading(folder + name);
                if (f != nullptr) {
                    std::string head(kBlockSize, '\0');
                    head.resize(std::fread(&head[0], 1, head.size(), f));
                    std::fclose(f);
                    const auto added = heads.emplace(head, folder + name);
                    if (!added.second) {
                        added.first->second.clear();  // two files hold it: neither is known
                    }
                }
            }
        }
        const std::map<std::string, std::u16string>& heads = folderHeads_[folder];
        for (const UndoStep& step : undo.steps) {
            for (const std::string* head : {&step.newHead, &step.oldHead}) {
                const auto found = heads.find(*head);
                if (found != heads.end() && !found->second.empty()) {
                    row.refusal = Refusal::kRenamed;
                    row.endPath = found->second;
                    return false;
                }
            }
        }
    }
    return false;
}

// Loads the file an undo names and checks that it holds what its history says it does, and that
// the header to put back would load.
bool LogPlanner::LoadUndo(std::size_t index, Job* job, HeldFile* hold) {
    const UndoTarget& undo = *items_[index].undo;
    RowPlan& row = rows_[index];
    if (!FindUndoFile(index, job, hold)) {
        Refuse(index, row.refusal);
        return false;
    }
    const RawFileEditor& e = job->editor;
    const UndoStep& oldest = undo.steps.front();
    const SplitName old = SplitRawPath(oldest.oldPath, PlatformPathStyle());
    row.oldHeight = e.HeightText();
    Refusal refusal = Refusal::kNone;
    if (old.folder != e.File().folder || !HoldsHistoryState(undo, e.Path(), e.Head())) {
        refusal = Refusal::kChangedSince;
    } else if (oldest.oldHead.size() != kBlockSize) {
        refusal = Refusal::kShortHead;
    } else if ((row.loadError = LoadWithHead(oldest.oldHead, e.Path())) != LoadError::kNone) {
        refusal = Refusal::kBadOldHead;
    }
    if (refusal != Refusal::kNone) {
        Refuse(index, refusal);
        return false;
    }
    job->block.emplace();
    std::copy(oldest.oldHead.begin(), oldest.oldHead.end(), job->block->begin());
    job->pointName = old.fileName;
    job->height = oldest.oldHeight;
    row.outcome = e.RehearseBlock(*job->block, job->pointName, job->height, &listings_,
                                  hold->IsOpen() ? hold : nullptr);
    return true;
}

// A file that is gone may have been saved by an earlier run of the same command (or log): it
// then stands under its new name, with the fields asked for.
bool LogPlanner::FindEarlierSave(std::size_t index, Job* job, HeldFile* hold) {
    const PlanItem& item = items_[index];
    if (!item.pointName || KindOf(item.path) != EntryKind::kMissing) {
        return false;
    }
    const SplitName split = SplitRawPath(item.path, PlatformPathStyle());
    const std::u16string tail = DerivePointName(split.fileName).tail;
    const std::u16string saved = ComposeRawPath(split.folder, *item.pointName, tail);
    RowPlan ignored;
    if (DerivePointName(split.fileName).pointName == *item.pointName || saved == item.path ||
        !Load(saved, true, &job->editor, &ignored, hold)) {
        return false;
    }
    rows_[index].alreadySavedAs = saved;
    return true;
}

// A log names most of its files in one folder: its key is asked for once.
bool LogPlanner::FolderKey(const std::u16string& folder, FileKey* key) {
    const auto known = folderKeys_.find(folder);
    if (known != folderKeys_.end()) {
        *key = known->second;
        return true;
    }
    if (!KeyOf(folder.empty() ? u"." : folder, key)) {
        return false;
    }
    folderKeys_[folder] = *key;
    return true;
}

namespace {

std::size_t Mix(std::uint64_t h, std::uint64_t v) {
    return static_cast<std::size_t>((h ^ v) * 1099511628211u);
}

}  // namespace

std::size_t LogPlanner::FileKeyHash::operator()(const FileKey& key) const {
    return Mix(Mix(14695981039346656037u, key.volume), key.index);
}

std::size_t LogPlanner::EndNameHash::operator()(const EndName& name) const {
    return Mix(FileKeyHash()(name.first), AsciiUpperHash(name.second));
}

bool LogPlanner::EndNameSame::operator()(const EndName& a, const EndName& b) const {
    return a.first == b.first && SameIgnoringAsciiCase(a.second, b.second);
}

// Claims the file and, unless `endPath` is empty, the name it ends under in `folder`, against
// the items before; the clash found (kSameFile, kSameNewName) names the other in `other`.
Refusal LogPlanner::Claim(std::size_t index, const FileKey& file, const FileKey& folder,
                          const std::u16string& endPath) {
    RowPlan& row = rows_[index];
    const std::size_t sameFile = files_.Claim(file, index);
    if (sameFile != index) {
        row.other = sameFile;
        return Refusal::kSameFile;
    }
    if (endPath.empty()) {
        return Refusal::kNone;
    }
    // Names compared as a file system that ignores letter case would: a log saved from a
    // receiver's memory card may well be applied on one.
    const std::size_t sameEnd =
        endNames_.Claim(EndName(folder, NamePart(endPath, PlatformPathStyle())), index);
    if (sameEnd != index) {
        row.other = sameEnd;
        row.endPath = endPath;
        return Refusal::kSameNewName;
    }
    return Refusal::kNone;
}

// A row refused for a problem of its own still claims its file and, when its point name gives
// one, the name it would end under, so that every clash with it is told in the same run.
void LogPlanner::PrepareRefusedRow(std::size_t index) {
    const PlanItem& item = items_[index];
    Refuse(index, Refusal::kRow);
    RawFileEditor editor;
    RowPlan loaded;
    FileKey folderKey;
    HeldFile hold;
    if (item.path.empty() || !Load(item.path, item.exact, &editor, &loaded, &hold) ||
        !FolderKey(editor.File().folder, &folderKey)) {
        return;  // its file's own problem shows once the row's is mended
    }
    // The row keeps where it would end, for the claim to refer to.
    std::u16string& endPath = rows_[index].endPath;
    endPath = editor.Path();
    if (item.pointName) {
        const SaveOutcome check = editor.Check(*item.pointName, editor.HeightText(), &listings_);
        endPath = check.status == SaveStatus::kReady       ? check.plan.newPath
                  : check.status == SaveStatus::kUnchanged ? editor.Path()
                                                           : u"";
    }
    rows_[index].clash = Claim(index, editor.Id(), folderKey, endPath);
}

bool LogPlanner::Alone(std::size_t index) const {
    const PlanItem& item = items_[index];
    return !item.refused && item.problem.kind == LogRowProblem::kNone && !item.undo;
}

// Loads and rehearses an item of its own (see Alone), touching only its row and job, so that
// items are examined on several threads at once; false when its file would not load.
bool LogPlanner::Examine(std::size_t index) {
    const PlanItem& item = items_[index];
    RowPlan& row = rows_[index];
    jobs_[index].reset(new Job);
    Job& job = *jobs_[index];
    HeldFile hold;
    if (!Load(item.path, item.exact, &job.editor, &row, &hold) &&
        !FindEarlierSave(index, &job, &hold)) {
        return false;
    }
    RawFileEditor& e = job.editor;
    row.path = e.Path();
    row.oldHeight = e.HeightText();
    job.pointName = item.pointName.value_or(e.PointName());
    job.height = item.height.value_or(e.HeightText());
    row.outcome =
        e.Rehearse(job.pointName, job.height, &listings_, hold.IsOpen() ? &hold : nullptr);
    return true;
}

// Checks an item that is not of its own (see Alone): refused, with a problem, or an undo.
void LogPlanner::Prepare(std::size_t index) {
    const PlanItem& item = items_[index];
    RowPlan& row = rows_[index];
    if (item.refused) {
        Refuse(index, Refusal::kItem);
        return;
    }
    if (item.problem.kind != LogRowProblem::kNone) {
        PrepareRefusedRow(index);
        return;
    }
    jobs_[index].reset(new Job);
    HeldFile hold;
    if (LoadUndo(index, jobs_[index].get(), &hold)) {
        hold.Close();
        row.path = jobs_[index]->editor.Path();
        Settle(index, true);
    }
}

// Checks a loaded and rehearsed item against the items before it, in their order.
void LogPlanner::Settle(std::size_t index, bool loaded) {
    const PlanItem& item = items_[index];
    RowPlan& row = rows_[index];
    if (!loaded) {
        Refuse(index, row.refusal);
        return;
    }
    const RawFileEditor& e = jobs_[index]->editor;
    const SaveStatus status = row.outcome.status;
    if (!row.alreadySavedAs.empty() && status != SaveStatus::kUnchanged) {
        Refuse(index, Refusal::kLoad);  // the file named is not found, and was not saved so
        return;
    }
    FileKey folderKey;
    const bool folderKnown = FolderKey(e.File().folder, &folderKey);
    if (!Rehearsed(status)) {
        // The file is known: it still clashes with the rows that name it too.
        const Refusal clash =
            folderKnown && !item.undo ? Claim(index, e.Id(), folderKey, u"") : Refusal::kNone;
        Refuse(index, Refusal::kSave);
        row.clash = clash;
        return;
    }
    if (!folderKnown) {
        Refuse(index, Refusal::kNoIdentity);
        return;
    }
    const std::u16string& endPath = status == SaveStatus::kReady ? row.outcome.newPath : row.path;
    const Refusal clash = Claim(index, e.Id(), folderKey, endPath);  // e.Id(): taken at the load
    if (clash != Refusal::kNone) {
        Refuse(index, clash);
        return;
    }
    row.refusal = Refusal::kNone;
    row.state = !row.alreadySavedAs.empty()    ? RowState::kAlreadySaved
                : status == SaveStatus::kReady ? RowState::kWillSave
                                               : RowState::kUnchanged;
    if (checkOnly_) {
        done_.push_back(std::move(jobs_[index]));
    }
}

void LogPlanner::Start(std::vector<PlanItem> items, bool checkOnly, FolderListings listed) {
    checkOnly_ = checkOnly;
    items_ = std::move(items);
    rows_.assign(items_.size(), RowPlan());
    jobs_.clear();
    jobs_.resize(items_.size());
    done_.clear();
    problemRows_.clear();
    fileProblems_ = 0;
    next_ = 0;
    checked_ = 0;
    files_.Clear();
    endNames_.Clear();
    files_.Reserve(items_.size());
    endNames_.Reserve(items_.size());
    folderKeys_.clear();
    folderHeads_.clear();
    recordPaths_.clear();
    // Folders are listed afresh for each check; until the saves, a listing answers whether a
    // new name is free.
    listings_ = std::move(listed);
    listings_.listingDecides = true;
}

bool LogPlanner::CheckSome(std::size_t count) {
    const std::size_t first = checked_;
    const std::size_t end = first + std::min(count, items_.size() - first);
    // Rows of their own are loaded and rehearsed on two threads where there are enough, and
    // this thread claims them as they come, in the items' order: the first item to name a file
    // or a new name has it.
    std::vector<char> loaded(end - first);
    const auto examine = [&](std::size_t i) {
        if (Alone(i)) {
            loaded[i - first] = Examine(i);
        }
    };
    const auto claim = [&](std::size_t i, bool sharing) {
        if (!Alone(i)) {
            if (sharing) {
                return false;  // its file is loaded while no other row's is
            }
            Prepare(i);
        } else {
            bool ready = loaded[i - first] != 0;
            // Two rows that name one file, examined together, may each find it held by the
            // other; a row that did not come out ready is examined again, alone, so that its
            // state never depends on how the threads met.
            if (threads_.Shared() && (!ready || !Rehearsed(rows_[i].outcome.status))) {
                if (sharing) {
                    return false;
                }
                rows_[i] = RowPlan();
                ready = Examine(i);
            }
            Settle(i, ready);
        }
        checked_ = i + 1;
        return true;
    };
    done_.reserve(end - first);
    threads_.ForEachFollowed(first, end, kShareFrom, examine, claim);
    done_.clear();
    if (checked_ == items_.size()) {
        files_.Clear();
        endNames_.Clear();
    }
    return checked_ == items_.size();
}

void LogPlanner::Check(std::vector<PlanItem> items,
                       const std::function<void(std::size_t, std::size_t)>& progress,
                       bool checkOnly, FolderListings listed) {
    Start(std::move(items), checkOnly, std::move(listed));
    while (checked_ < items_.size()) {
        if (progress) {
            progress(checked_, items_.size());
        }
        CheckSome(kCheckStep);
    }
}

std::size_t LogPlanner::SaveNextGroup(ChangeRecordWriter* record, bool dryRun) {
    const std::size_t first = next_;
    const std::size_t count = std::min(kGroupSize, rows_.size() - first);
    if (dryRun || checkOnly_ || count == 0) {
        next_ += count;
        return count;
    }
    std::vector<SaveRequest> toSave;
    std::vector<std::size_t> indexes;
    for (std::size_t i = first; i < first + count; ++i) {
        Job* job = jobs_[i].get();
        if (job != nullptr && rows_[i].state != RowState::kRefused &&
            rows_[i].outcome.status == SaveStatus::kReady) {
            toSave.push_back({&job->editor, job->pointName, job->height, {}, job->block});
            indexes.push_back(i);
        }
    }
    // Right before a rename the disk itself is asked whether the new name is free.
    listings_.listingDecides = false;
    SaveGroup(toSave.data(), toSave.size(), &listings_, record);
    for (std::size_t k = 0; k < toSave.size(); ++k) {
        RowPlan& row = rows_[indexes[k]];
        row.outcome = std::move(toSave[k].outcome);
        row.state = row.outcome.status == SaveStatus::kSaved ? RowState::kSaved : RowState::kFailed;
    }
    next_ += count;
    return count;
}

}  // namespace rawfile
