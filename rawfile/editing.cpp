#include "editing.h"

#include "numbers.h"
#include "text.h"

namespace rawfile {

LoadError RawFileEditor::Load(const std::u16string& path, PathStyle style) {
    const SplitName split = SplitRawPath(path, style);
    loaded_ = false;
    file_.path = path;
    file_.folder = split.folder;
    const LoadResult loaded = LoadRawHeader(path);
    if (loaded.error != LoadError::kNone) {
        return loaded.error;
    }
    const auto name = DerivePointName(split.fileName);
    file_.pointName = name.pointName;
    file_.tail = name.tail;
    file_.values = loaded.values;
    heightText_ = BytesToText(FormatFixed(loaded.values.antHeight, 3));
    loaded_ = true;
    return LoadError::kNone;
}

SaveOutcome RawFileEditor::Check(const std::u16string& pointName,
                                 const std::u16string& heightText) const {
    SaveOutcome out;
    if (!loaded_) {
        return out;
    }
    if (pointName == file_.pointName && heightText == heightText_) {
        out.status = SaveStatus::kUnchanged;
        return out;
    }
    out.refusal = PlanSave(file_, pointName, heightText, &out.plan);
    if (out.refusal == SaveRefusal::kNone && out.plan.newPath != file_.path &&
        CheckRenameTarget(file_.path, out.plan.newPath) == TargetState::kOther) {
        out.refusal = SaveRefusal::kTargetExists;
    }
    out.status = out.refusal == SaveRefusal::kNone ? SaveStatus::kReady : SaveStatus::kRefused;
    return out;
}

SaveOutcome RawFileEditor::Save(const std::u16string& pointName, const std::u16string& heightText) {
    SaveOutcome out = Check(pointName, heightText);
    if (out.status != SaveStatus::kReady) {
        return out;
    }
    if (!WriteHeaderBlock(file_.path, out.plan.block, &out.error)) {
        out.status = SaveStatus::kWriteFailed;
        return out;
    }
    if (!RenameNoReplace(file_.path, out.plan.newPath, &out.error)) {
        out.status = SaveStatus::kRenameFailed;
        return out;
    }
    // The file on disk now holds the plan: it becomes the baseline.
    file_.path = out.plan.newPath;
    file_.pointName = out.plan.pointName;
    file_.values.antHeight = out.plan.height.metres;
    heightText_ = BytesToText(out.plan.height.text);
    out.status = SaveStatus::kSaved;
    return out;
}

}  // namespace rawfile
