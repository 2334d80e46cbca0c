#include "editing.h"

#include <map>
#include <set>
#include <vector>

#include "numbers.h"
#include "text.h"

namespace rawfile {

namespace {

std::string BlockBytes(const HeaderBlock& block) {
    return std::string(reinterpret_cast<const char*>(block.data()), block.size());
}

// True when every byte of `disk` is the old header's or the attempted block's at its place:
// what a write that failed part way can have left.
bool OldNewOrMix(const std::string& disk, const std::string& old, const std::string& attempted) {
    if (disk.size() < old.size()) {
        return false;
    }
    for (std::size_t i = 0; i < disk.size(); ++i) {
        if (!(i < old.size() && disk[i] == old[i]) &&
            !(i < attempted.size() && disk[i] == attempted[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

LoadError RawFileEditor::Load(const std::u16string& path, PathStyle style, FileError* readError) {
    return Take(path, style, LoadRawHeader(path), readError);
}

LoadError RawFileEditor::Load(const HeldFile& held, PathStyle style, FileError* readError) {
    return Take(held.Path(), style, LoadRawHeader(held), readError);
}

LoadError RawFileEditor::Take(const std::u16string& path, PathStyle style, LoadResult loaded,
                              FileError* readError) {
    loaded_ = false;
    file_.path = path;
    file_.folder = FolderPart(path, style);
    if (loaded.error != LoadError::kNone) {
        const bool open = loaded.error == LoadError::kOpenFailed;
        if ((open || loaded.error == LoadError::kReadFailed) && readError != nullptr) {
            readError->op = open ? FileOp::kOpen : FileOp::kRead;
            readError->path = path;
            readError->code = loaded.readError;
            readError->reason = SystemReason(loaded.readError);
        }
        return loaded.error;
    }
    auto name = DerivePointName(std::u16string(NamePart(path, style)));
    file_.pointName = std::move(name.pointName);
    file_.tail = std::move(name.tail);
    file_.values = std::move(loaded.values);
    heightText_ = BytesToText(FormatFixed(file_.values.antHeight, 3));
    id_ = loaded.id;
    head_ = std::move(loaded.head);
    head_.shrink_to_fit();
    headKnown_ = true;
    loaded_ = true;
    return LoadError::kNone;
}

bool RawFileEditor::FieldsDiffer(const std::u16string& pointName,
                                 const std::u16string& heightText) const {
    // Fields as the load or save left them are no edit, whatever the header holds (a height too
    // large to save again, "inf").
    if (headKnown_ && pointName == file_.pointName && heightText == heightText_) {
        return false;
    }
    NormalisedHeight height;
    // A new point name is cut to 8 units; one that cuts to the file's own changes nothing.
    return !headKnown_ ||
           (pointName != file_.pointName && CutPointName(pointName) != file_.pointName) ||
           NormaliseHeight(heightText, &height) != SaveRefusal::kNone ||
           BytesToText(height.text) != heightText_;
}

SaveOutcome RawFileEditor::Check(const std::u16string& pointName, const std::u16string& heightText,
                                 FolderListings* listings) const {
    SaveOutcome out;
    if (!loaded_) {
        return out;
    }
    out.refusal = PlanSave(file_, pointName, heightText, &out.plan);
    Judge(&out, listings);
    return out;
}

bool RawFileEditor::HeadIs(const HeaderBlock& block) const {
    return headKnown_ && head_ == BlockBytes(block);
}

void RawFileEditor::Judge(SaveOutcome* out, FolderListings* listings) const {
    const SavePlan& p = out->plan;
    if (out->refusal == SaveRefusal::kNone && !p.renames && HeadIs(p.block)) {
        out->status = SaveStatus::kUnchanged;
        return;
    }
    if (out->refusal == SaveRefusal::kNone && p.renames &&
        CheckRenameTarget(file_.path, p.newPath, listings) == TargetState::kOther) {
        out->refusal = SaveRefusal::kTargetExists;
    }
    out->status = out->refusal == SaveRefusal::kNone ? SaveStatus::kReady : SaveStatus::kRefused;
}

bool RawFileEditor::HoldLoaded(HeldFile* held, SaveOutcome* out) const {
    FileId id;
    std::string disk;
    if (!held->Open(file_.path, &out->error, out->plan.renames) || !held->Id(&id, &out->error) ||
        !held->ReadHead(&disk, &out->error)) {
        out->status = SaveStatus::kWriteFailed;
        return false;
    }
    const bool same =
        id == id_ && (headKnown_ ? disk == head_ : OldNewOrMix(disk, head_, attempted_));
    if (!same) {
        out->status = SaveStatus::kRefused;
        out->refusal = SaveRefusal::kFileChanged;
        return false;
    }
    return true;
}

SaveOutcome RawFileEditor::CheckBlock(const HeaderBlock& block, const std::u16string& fileName,
                                      const std::u16string& heightText,
                                      FolderListings* listings) const {
    SaveOutcome out;
    if (!loaded_) {
        return out;
    }
    SavePlan& p = out.plan;
    p.block = block;
    p.pointName = DerivePointName(fileName).pointName;
    p.newPath = file_.folder + fileName;
    p.renames = p.newPath != file_.path;
    out.refusal = NormaliseHeight(heightText, &p.height);
    Judge(&out, listings);
    return out;
}

SaveOutcome RawFileEditor::RehearseBlock(const HeaderBlock& block, const std::u16string& fileName,
                                         const std::u16string& heightText, FolderListings* listings,
                                         const HeldFile* loadedThrough) const {
    return RehearseChecked(CheckBlock(block, fileName, heightText, listings), listings,
                           loadedThrough);
}

SaveOutcome RawFileEditor::Rehearse(const std::u16string& pointName,
                                    const std::u16string& heightText, FolderListings* listings,
                                    const HeldFile* loadedThrough) const {
    return RehearseChecked(Check(pointName, heightText, listings), listings, loadedThrough);
}

SaveOutcome RawFileEditor::RehearseChecked(SaveOutcome out, FolderListings* listings,
                                           const HeldFile* loadedThrough) const {
    if (out.status != SaveStatus::kReady) {
        return out;
    }
    // A file loaded through a hold still open is taken as loaded; the save checks it again
    // under a hold of its own.
    HeldFile own;
    if (loadedThrough == nullptr && !HoldLoaded(&own, &out)) {
        return out;
    }
    const HeldFile& held = loadedThrough != nullptr ? *loadedThrough : own;
    if (out.plan.renames && !held.CheckFolderWritable(&out.error, listings)) {
        out.status = SaveStatus::kWriteFailed;
    }
    return out;
}

void RawFileEditor::Settle(const SavePlan& plan, const std::u16string& path) {
    if (path == plan.newPath) {
        file_.pointName = plan.pointName;
    }
    file_.path = path;
    file_.values.antHeight = plan.height.metres;
    heightText_ = BytesToText(plan.height.text);
    head_ = BlockBytes(plan.block);
    headKnown_ = true;
    attempted_.clear();
    attempted_.shrink_to_fit();
}

SaveOutcome RawFileEditor::Save(const std::u16string& pointName, const std::u16string& heightText,
                                SaveJournal* journal) {
    SaveRequest request{this, pointName, heightText, {}, std::nullopt};
    SaveGroup(&request, 1, nullptr, journal);
    return request.outcome;
}

void SaveGroup(SaveRequest* requests, std::size_t count, FolderListings* listings,
               SaveJournal* journal) {
    std::vector<HeldFile> held(count);
    std::vector<bool> written(count, false);
    // Hold and check every file: still the one loaded, and a folder that lets it be renamed.
    std::vector<const SaveRequest*> ready;
    for (std::size_t i = 0; i < count; ++i) {
        SaveRequest& r = requests[i];
        RawFileEditor& e = *r.editor;
        r.outcome = r.block ? e.CheckBlock(*r.block, r.pointName, r.heightText, listings)
                            : e.Check(r.pointName, r.heightText, listings);
        if (r.outcome.status != SaveStatus::kReady || !e.HoldLoaded(&held[i], &r.outcome)) {
            held[i].Close();
            continue;
        }
        if (r.outcome.plan.renames && !held[i].CheckFolderWritable(&r.outcome.error, listings)) {
            r.outcome.status = SaveStatus::kWriteFailed;
            held[i].Close();
            continue;
        }
        ready.push_back(&r);
    }
    // The journal hears of every save before any header changes; without its note nothing does.
    FileError journalError;
    if (journal != nullptr && !ready.empty() && !journal->Note(ready, &journalError)) {
        for (std::size_t i = 0; i < count; ++i) {
            held[i].Close();
            if (requests[i].outcome.status == SaveStatus::kReady) {
                requests[i].outcome.status = SaveStatus::kJournalFailed;
                requests[i].outcome.error = journalError;
            }
        }
        return;
    }
    // Write the headers that differ from the disk's (always, where an earlier write left the
    // header in doubt).
    for (std::size_t i = 0; i < count; ++i) {
        SaveRequest& r = requests[i];
        if (r.outcome.status != SaveStatus::kReady) {
            continue;
        }
        const HeaderBlock& block = r.outcome.plan.block;
        if (r.editor->HeadIs(block)) {
            continue;  // only the name changes
        }
        written[i] = true;
        if (!held[i].WriteHead(block, &r.outcome.error)) {
            r.outcome.status = SaveStatus::kWriteFailed;
        }
    }
    // Flush the headers written; a failed flush is a failed write.
    for (std::size_t i = 0; i < count; ++i) {
        SaveRequest& r = requests[i];
        if (written[i] && r.outcome.status == SaveStatus::kReady &&
            !held[i].Flush(&r.outcome.error)) {
            r.outcome.status = SaveStatus::kWriteFailed;
        }
        if (written[i] && r.outcome.status == SaveStatus::kWriteFailed) {
            r.editor->headKnown_ = false;
            r.editor->attempted_ = BlockBytes(r.outcome.plan.block);
            held[i].Close();
        }
    }
    // Rename through the holds; the header is saved either way.
    std::set<std::u16string> folders;
    for (std::size_t i = 0; i < count; ++i) {
        SaveRequest& r = requests[i];
        if (r.outcome.status != SaveStatus::kReady) {
            continue;
        }
        const SavePlan& plan = r.outcome.plan;
        if (plan.renames && !held[i].Rename(plan.newPath, &r.outcome.error)) {
            r.outcome.status = SaveStatus::kRenameFailed;
            r.editor->Settle(plan, r.editor->file_.path);
            continue;
        }
        if (plan.renames) {
            folders.insert(r.editor->file_.folder);
        }
    }
    // Flush each folder a file was renamed in, once.
    std::map<std::u16string, FileError> failedFolders;
    for (const std::u16string& folder : folders) {
        FileError error;
        if (!FlushFolder(folder, &error)) {
            failedFolders.emplace(folder, error);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        SaveRequest& r = requests[i];
        held[i].Close();
        if (r.outcome.status != SaveStatus::kReady) {
            continue;
        }
        RawFileEditor& e = *r.editor;
        const auto failed = failedFolders.find(e.file_.folder);
        if (r.outcome.plan.renames && failed != failedFolders.end()) {
            r.outcome.status = SaveStatus::kFolderFlushFailed;
            r.outcome.error = failed->second;
        } else {
            r.outcome.status = SaveStatus::kSaved;
        }
        e.Settle(r.outcome.plan, r.outcome.plan.newPath);
    }
}

}  // namespace rawfile
