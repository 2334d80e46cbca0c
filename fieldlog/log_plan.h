// The batch planner behind a field log, a list of files and an undo: every file is loaded and
// its save rehearsed, and the files are checked against each other, before any file changes;
// the front end saves only when no row is refused. Saving goes in groups, each group's rows in
// the change record and on stable storage before its files change. Outcomes are values; the
// front ends put them into words.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "claim_table.h"
#include "editing.h"
#include "file_identity.h"
#include "file_ops.h"
#include "log_reader.h"
#include "record_file.h"
#include "two_threads.h"

namespace rawfile {

// One row of a file's history in a change record: the file went from its old path and header
// to its new ones.
struct UndoStep {
    std::size_t row = 0;  // the record's row
    std::u16string oldPath;
    std::u16string newPath;
    std::string oldHead;
    std::string newHead;
    std::u16string oldHeight;
    std::u16string newHeight;
};

// A file's history to put back, oldest row first (see undo.h): the file must stand in a state
// the rows leave it in, or what a save cut short leaves between two of them; it gets the oldest
// row's old header and name back.
struct UndoTarget {
    std::vector<UndoStep> steps;
};

// One file of a batch and the fields it should get (none: the file's own), or the change it
// should lose.
struct PlanItem {
    std::size_t row = 0;  // the field log's row; 0 for a file named on a command line
    std::u16string path;
    bool refused = false;  // the front end refuses the item itself, in its own words
    bool exact = true;     // false: the path is only an approximation of the name given
    std::optional<std::u16string> pointName;
    std::optional<std::u16string> height;
    std::optional<UndoTarget> undo = std::nullopt;
    // A log row's own problem (PlanItemOf): the item is refused for it, and still claims its
    // file and new name against the other items.
    RowProblem problem = {};
};

enum class RowState : unsigned char {
    kWillSave,
    kUnchanged,
    kAlreadySaved,  // an earlier run saved it: it stands under its new name with these fields
    kRefused,
    kSaved,
    kFailed,  // the save failed: `outcome` says how and what state the file is in
};

enum class Refusal : unsigned char {
    kNone,
    kItem,          // PlanItem::refused
    kRow,           // PlanItem::problem
    kNameNotText,   // PlanItem::exact is false
    kLoad,          // `loadError` (outcome.Error() for kReadFailed and kOpenFailed)
    kChangedSince,  // an undo's file holds no header its history gives it (`path`, `oldHeight`)
    kShortHead,     // an undo's recorded old header is not a whole block
    kBadOldHead,    // an undo's recorded old header would not load (`loadError`)
    kMissing,       // an undo's file is under none of the names its history gives it
    kRenamed,       // ... but `endPath` holds a header its history gives it
    kSave,          // the rehearsal refused: `outcome`
    kNoIdentity,    // the file or its folder cannot be examined
    kSameFile,      // item `other` names the same file
    kSameNewName,   // item `other` ends under the same name (`endPath`) in the same folder
};

// What a row's rehearsal or save came to, as the front ends tell it: a SaveOutcome without the
// block, which the save composes again from the file as loaded.
struct RowOutcome {
    SaveStatus status = SaveStatus::kNotLoaded;
    SaveRefusal refusal = SaveRefusal::kNone;
    std::u16string pointName;  // the plan's
    std::string heightText;    // the plan's height, "%.3f"
    std::u16string newPath;    // the plan's; set for kTargetExists too

    RowOutcome() = default;
    RowOutcome(SaveOutcome outcome);  // NOLINT: a row keeps what an outcome says

    // For the statuses that reached the disk (and a failed load): what failed. Few rows have
    // one, so it is kept apart.
    const FileError& Error() const;
    void SetError(const FileError& error);

private:
    std::shared_ptr<const FileError> error_;
};

struct RowPlan {
    RowState state = RowState::kRefused;
    Refusal refusal = Refusal::kNone;
    // A clash found besides `refusal` (kSameFile or kSameNewName, with `other` and `endPath`),
    // for an item refused for a problem of its own; kNone otherwise.
    Refusal clash = Refusal::kNone;
    LoadError loadError = LoadError::kNone;
    // The rehearsal; once saved, the save's. For kLoad, outcome.Error() is the load's.
    RowOutcome outcome;
    std::size_t other = 0;          // kSameFile, kSameNewName: the index of the other item
    std::u16string endPath;         // kSameNewName: where both would end; kRenamed: where it is
    std::u16string path;            // where the file was found
    std::u16string oldHeight;       // the file's height before the save
    std::u16string alreadySavedAs;  // kAlreadySaved: the path it stands under

    // The file's name and point name before the save (from `path`).
    std::u16string OldName() const;
    std::u16string OldPoint() const;
};

// The change record as the save step's journal: a row for each file about to be saved, on
// stable storage before any header changes. The record is opened (for this writer alone, the
// column names written into an empty one) at the first note, or by Open.
class ChangeRecordWriter : public SaveJournal {
public:
    // `path`: the record (none: nothing is recorded); `input`: the field log or record the
    // saves come from, which can never be the record (empty: none).
    explicit ChangeRecordWriter(std::optional<std::u16string> path, std::u16string input = u"")
        : path_(std::move(path)), input_(std::move(input)) {}

    // Opens the record and says what it is (see AppendFile::Open); rows are written only where
    // MayAppend. Without a path: kNew. Once open, the place found then. *error says the path
    // of a refused record, and the system's reason for kFailed.
    RecordPlace Open(FileError* error);
    // What the last Open found (kNew before any).
    RecordPlace Place() const { return place_; }

    // Appends a row for each save and puts them on stable storage; false with *error set (for a
    // record that may not be appended to, Place() says why). Nothing happens without a path.
    bool Note(const std::vector<const SaveRequest*>& ready, FileError* error) override;

private:
    const std::u16string& FullFolder(const RawFileEditor& e);

    std::optional<std::u16string> path_;
    std::u16string input_;
    RecordPlace place_ = RecordPlace::kNew;
    bool columnsDue_ = false;  // the next note starts with the column names
    AppendFile file_;
    std::map<std::u16string, std::u16string> folders_;
};

class LogPlanner {
public:
    // Files saved together: their headers flushed together, their folders once.
    static constexpr std::size_t kGroupSize = 64;

    LogPlanner();
    ~LogPlanner();
    LogPlanner(const LogPlanner&) = delete;
    LogPlanner& operator=(const LogPlanner&) = delete;

    // Loads and rehearses every item and checks them against each other; `progress` (if any) is
    // told before each item. `checkOnly`: nothing will be saved (a dry run), so no row keeps its
    // loaded file, and SaveNextGroup only steps past the rows.
    // `listed`: folders listed just before, while the items were gathered.
    void Check(std::vector<PlanItem> items,
               const std::function<void(std::size_t done, std::size_t total)>& progress = {},
               bool checkOnly = false, FolderListings listed = {});

    // Check in steps, for a front end that keeps its window live: Start takes the items, each
    // CheckSome checks up to `count` more and says whether all are checked. Files are loaded on
    // two threads when `count` is at least kShareFrom.
    static constexpr std::size_t kShareFrom = 16;
    void Start(std::vector<PlanItem> items, bool checkOnly = false, FolderListings listed = {});
    bool CheckSome(std::size_t count);
    std::size_t Checked() const { return checked_; }

    const std::vector<PlanItem>& Items() const { return items_; }
    const std::vector<RowPlan>& Rows() const { return rows_; }
    // The refused rows, a log row counted once however many files it stands for.
    std::size_t Problems() const { return problemRows_.size(); }
    // The first row not yet saved (or reported, in a dry run); Rows().size() when all are.
    std::size_t Next() const { return next_; }

    // Saves the next group of rows, passing over refused ones, `record` (if any) as the save
    // step's journal; a dry run (always, after a check only) only steps past them. Returns the
    // number of rows done, 0 when none were left. Where the record could not be written, the
    // group's rows are kFailed with kJournalFailed outcomes and nothing of the group was changed.
    std::size_t SaveNextGroup(ChangeRecordWriter* record, bool dryRun);

private:
    struct Job;
    // A name a file ends under in a folder, as a view of a row's path; compared as a file system
    // that ignores letter case would.
    using EndName = std::pair<FileKey, std::u16string_view>;
    struct EndNameHash {
        std::size_t operator()(const EndName& name) const;
    };
    struct EndNameSame {
        bool operator()(const EndName& a, const EndName& b) const;
    };
    struct FileKeyHash {
        std::size_t operator()(const FileKey& key) const;
    };

    // Rows checked by each step of Check.
    static constexpr std::size_t kCheckStep = 1024;

    bool Alone(std::size_t index) const;
    bool Examine(std::size_t index);
    void Settle(std::size_t index, bool loaded);
    void Prepare(std::size_t index);
    bool Load(const std::u16string& path, bool exact, RawFileEditor* editor, RowPlan* row,
              HeldFile* hold);
    bool LoadUndo(std::size_t index, Job* job, HeldFile* hold);
    bool FindUndoFile(std::size_t index, Job* job, HeldFile* hold);
    bool FindEarlierSave(std::size_t index, Job* job, HeldFile* hold);
    void Refuse(std::size_t index, Refusal refusal);
    // `endPath`: a path held by rows_[index], which stays as it is until all rows are checked.
    Refusal Claim(std::size_t index, const FileKey& file, const FileKey& folder,
                  const std::u16string& endPath);
    void PrepareRefusedRow(std::size_t index);
    bool FolderKey(const std::u16string& folder, FileKey* key);

    std::vector<PlanItem> items_;
    std::vector<RowPlan> rows_;
    std::vector<std::unique_ptr<Job>> jobs_;  // one per item; null for a refused one
    bool checkOnly_ = false;                  // no jobs are kept
    // Jobs done with while the second thread may still be examining: they are let go once it
    // has stopped, since freeing what the other thread made while it makes more keeps both
    // waiting on the memory's lock.
    std::vector<std::unique_ptr<Job>> done_;
    std::size_t fileProblems_ = 0;
    std::size_t next_ = 0;
    std::size_t checked_ = 0;
    std::set<std::size_t> problemRows_;
    FolderListings listings_;
    // The claims of the rows checked so far, let go once all are.
    ClaimTable<FileKey, FileKeyHash, std::equal_to<FileKey>> files_;
    ClaimTable<EndName, EndNameHash, EndNameSame> endNames_;
    std::map<std::u16string, FileKey> folderKeys_;
    // Undo's search for a file under none of its recorded names: each folder's raw files the
    // record does not name, by their header (an empty path: more than one holds it).
    std::map<std::u16string, std::map<std::string, std::u16string>> folderHeads_;
    std::set<std::u16string> recordPaths_;
    TwoThreads threads_;  // loads files beside this thread
};

}  // namespace rawfile
