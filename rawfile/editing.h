// Editing one raw file: the file as it stands on disk, the baseline a save compares the user's
// fields against, and the one save step that every front end calls.
#pragma once

#include <string>

#include "file_ops.h"
#include "loader.h"
#include "raw_file_name.h"
#include "save.h"

namespace rawfile {

enum class SaveStatus {
    kSaved,
    kReady,         // Check only: the save would go ahead
    kUnchanged,     // the fields equal the baseline: nothing written
    kNotLoaded,     // no file is loaded: nothing written
    kRefused,       // nothing written, nothing renamed; see `refusal`
    kWriteFailed,   // the open or the write failed: nothing written, nothing renamed
    kRenameFailed,  // the new block is in the file under its old name
};

struct SaveOutcome {
    SaveStatus status = SaveStatus::kNotLoaded;
    SaveRefusal refusal = SaveRefusal::kNone;
    SavePlan plan;    // what the save writes; newPath is set for kTargetExists too
    FileError error;  // for kWriteFailed and kRenameFailed
};

class RawFileEditor {
public:
    // Loads the file at `path`. Whatever the outcome, the folder and file name are those of
    // `path`; on failure nothing is loaded until a later load succeeds.
    LoadError Load(const std::u16string& path, PathStyle style = PlatformPathStyle());

    bool IsLoaded() const { return loaded_; }
    const std::u16string& Path() const { return file_.path; }
    std::u16string FileName() const { return file_.path.substr(file_.folder.size()); }
    const LoadedFile& File() const { return file_; }
    // The baseline: the point name and height text of the file as it stands on disk.
    const std::u16string& PointName() const { return file_.pointName; }
    const std::u16string& HeightText() const { return heightText_; }

    // Everything a save of these fields would do, checked without writing: kUnchanged,
    // kNotLoaded, kRefused or kReady.
    SaveOutcome Check(const std::u16string& pointName, const std::u16string& heightText) const;

    // Saves the fields: checks them, writes the new block over the first 160 bytes and renames
    // the file (never replacing another). Only a complete save moves the baseline and the path;
    // after any failure the next save of the same fields tries again.
    SaveOutcome Save(const std::u16string& pointName, const std::u16string& heightText);

private:
    LoadedFile file_;
    std::u16string heightText_;
    bool loaded_ = false;
};

}  // namespace rawfile
