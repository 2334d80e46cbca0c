// Editing one raw file: the file as it stands on disk, the baseline a save compares the user's
// fields against, and the one save step that every front end calls. A save is a transaction
// against the file as it is now: it holds the file, checks that it is still the file loaded,
// tells the caller's journal what it is about to do, writes and flushes the header, renames the
// file through the same hold and flushes the folder; only then is it saved.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "file_ops.h"
#include "loader.h"
#include "raw_file_name.h"
#include "save.h"

namespace rawfile {

enum class SaveStatus : unsigned char {
    kSaved,
    kReady,      // Check and Rehearse only: the save would go ahead
    kUnchanged,  // no byte of the header and no name would change: nothing written
    kNotLoaded,  // no file is loaded: nothing written
    kRefused,    // nothing written, nothing renamed; see `refusal`
    // The journal could not note the save (its own error in `error`): nothing written, nothing
    // renamed.
    kJournalFailed,
    // The save reached the disk and failed; see `error`. error.op kOpen or kRead: nothing was
    // written. kWrite: the header may be old, new or partly written, and the next save writes
    // it again.
    kWriteFailed,
    // The new header is saved (flushed); the file keeps its old name (error.op kRenameHalf: it
    // has both names, and the next save of the new name finishes the rename).
    kRenameFailed,
    kFolderFlushFailed,  // saved and renamed, but the rename may not be on the disk yet
};

class SaveJournal;
struct SaveRequest;

struct SaveOutcome {
    SaveStatus status = SaveStatus::kNotLoaded;
    SaveRefusal refusal = SaveRefusal::kNone;
    SavePlan plan;    // what the save writes; newPath is set for kTargetExists too
    FileError error;  // for the statuses that reached the disk
};

class RawFileEditor {
public:
    // Loads the file at `path`. Whatever the outcome, the folder and file name are those of
    // `path`; on failure nothing is loaded until a later load succeeds. *readError is set for
    // kReadFailed and kOpenFailed (the system's reason).
    LoadError Load(const std::u16string& path, PathStyle style = PlatformPathStyle(),
                   FileError* readError = nullptr);
    // Load through a file already held (at its path), which a rehearsal can then use.
    LoadError Load(const HeldFile& held, PathStyle style = PlatformPathStyle(),
                   FileError* readError = nullptr);

    bool IsLoaded() const { return loaded_; }
    const std::u16string& Path() const { return file_.path; }
    std::u16string FileName() const { return file_.path.substr(file_.folder.size()); }
    const LoadedFile& File() const { return file_; }
    // The baseline: the point name and height text of the file as it stands on disk.
    const std::u16string& PointName() const { return file_.pointName; }
    const std::u16string& HeightText() const { return heightText_; }

    // True when the fields say something else than the baseline: another point name, or a
    // height that saves to another text. The baseline's own texts never differ (unless a
    // failed write left the header in doubt).
    bool FieldsDiffer(const std::u16string& pointName, const std::u16string& heightText) const;

    // Everything a save of these fields would do, checked without writing or opening the file:
    // kUnchanged, kNotLoaded, kRefused or kReady. `listings` as CheckRenameTarget takes it.
    SaveOutcome Check(const std::u16string& pointName, const std::u16string& heightText,
                      FolderListings* listings = nullptr) const;

    // Check, then everything short of writing: holds the file, checks that it is still the one
    // loaded and that its folder allows the rename, and lets it go. kReady, or the failure the
    // save would meet (kRefused for kFileChanged, kWriteFailed for an open that fails).
    // `loadedThrough`: the hold the file was just loaded through, still open, used in place of
    // a new hold (the file then is the one loaded).
    SaveOutcome Rehearse(const std::u16string& pointName, const std::u16string& heightText,
                         FolderListings* listings = nullptr,
                         const HeldFile* loadedThrough = nullptr) const;

    // Check for a save that puts a whole block and file name back (as an undo does): `fileName`
    // in the file's own folder, `heightText` the height the block holds. kUnchanged, kNotLoaded,
    // kRefused (kTargetExists, or kHeightNotNumber for the text) or kReady.
    SaveOutcome CheckBlock(const HeaderBlock& block, const std::u16string& fileName,
                           const std::u16string& heightText,
                           FolderListings* listings = nullptr) const;
    // Rehearse for CheckBlock's save.
    SaveOutcome RehearseBlock(const HeaderBlock& block, const std::u16string& fileName,
                              const std::u16string& heightText, FolderListings* listings = nullptr,
                              const HeldFile* loadedThrough = nullptr) const;

    // The file's first bytes (at most 160) as loaded or last saved.
    const std::string& Head() const { return head_; }
    // The identity of the file as loaded: its volume and its index there.
    const FileId& Id() const { return id_; }

    // Saves the fields (a group of one; see SaveGroup). The baseline always follows the disk.
    SaveOutcome Save(const std::u16string& pointName, const std::u16string& heightText,
                     SaveJournal* journal = nullptr);

private:
    friend void SaveGroup(SaveRequest* requests, std::size_t count, FolderListings* listings,
                          SaveJournal* journal);

    // Holds the file and checks it is still the one loaded (a header left in doubt by a failed
    // write may be the old one, the new one or a mix of the two).
    bool HoldLoaded(HeldFile* held, SaveOutcome* out) const;
    // True when the disk is known to hold `block` already.
    bool HeadIs(const HeaderBlock& block) const;
    // Judges the plan in `out` that passed its own checks: nothing to do, refused because
    // another file holds the new name, or ready.
    void Judge(SaveOutcome* out, FolderListings* listings) const;
    // Rehearses the save `out` (from Check or CheckBlock) plans.
    SaveOutcome RehearseChecked(SaveOutcome out, FolderListings* listings,
                                const HeldFile* loadedThrough) const;
    // Takes what a load found.
    LoadError Take(const std::u16string& path, PathStyle style, LoadResult loaded,
                   FileError* readError);
    // The baseline after `block` went to the disk, under `path`.
    void Settle(const SavePlan& plan, const std::u16string& path);

    LoadedFile file_;
    std::u16string heightText_;
    bool loaded_ = false;
    FileId id_;
    std::string head_;       // the first bytes on disk, at most 160
    bool headKnown_ = true;  // false after a write whose outcome is not known
    std::string attempted_;  // the block that write tried, when !headKnown_
};

// One file's save in a group: of the fields, or with `block`, of a whole block and file name as
// CheckBlock takes them (`pointName` then holding the file name).
struct SaveRequest {
    RawFileEditor* editor = nullptr;
    std::u16string pointName;
    std::u16string heightText;
    SaveOutcome outcome;  // set by SaveGroup
    std::optional<HeaderBlock> block = std::nullopt;
};

// What a save step tells before it changes anything, so that every change can be put back.
class SaveJournal {
public:
    virtual ~SaveJournal() = default;
    // Notes the saves `ready` is about to make (each outcome kReady with its plan, each file held
    // and checked) and puts the note on stable storage before it returns. False, with *error
    // set, when it cannot: the save step then changes nothing.
    virtual bool Note(const std::vector<const SaveRequest*>& ready, FileError* error) = 0;
};

// Saves each request's fields on its editor's file, the flushes of the group done together:
// every file is held and checked (still the file loaded, its folder allowing a rename), the
// journal (if any) told once, every header written, all flushed, all renamed, each folder
// flushed once, and the holds let go. When it returns, each outcome is final and every kSaved
// file's header and name are on stable storage.
void SaveGroup(SaveRequest* requests, std::size_t count, FolderListings* listings = nullptr,
               SaveJournal* journal = nullptr);

}  // namespace rawfile
