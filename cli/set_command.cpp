#include "commands.h"
#include "english.h"
#include "escape.h"
#include "file_ops.h"
#include "raw_view.h"
#include "save.h"

namespace rvxedit {

namespace {

enum class Result { kDone, kFailed };

std::u16string ChangeText(const RawView& v, const rawfile::SavePlan& plan) {
    const std::u16string newName = plan.pointName + v.file.tail;
    return u"name " + OneLine(v.fileName) + u" -> " + OneLine(newName) + u", height " +
           v.heightText + u" -> " + Widen(plan.height.text);
}

Result SetOne(const Options& options, const Arg& file, Console& console) {
    RawView v;
    std::u16string reason;
    if (!LoadView(file, &v, &reason)) {
        console.Err(OneLine(file.text) + u": " + reason);
        return Result::kFailed;
    }
    const std::u16string pointName = options.pointName.value_or(v.pointName);
    const std::u16string height = options.height.value_or(v.heightText);
    // As in the dialog: when neither field differs from what a load shows, nothing is written.
    if (pointName == v.pointName && height == v.heightText) {
        console.Out(OneLine(v.file.path) + u": unchanged");
        return Result::kDone;
    }
    const rawfile::LoadedFile& loaded = v.file;
    rawfile::SavePlan plan;
    const rawfile::SaveRefusal refusal = rawfile::PlanSave(loaded, pointName, height, &plan);
    if (refusal != rawfile::SaveRefusal::kNone) {
        console.Err(OneLine(v.file.path) + u": " + RefusalText(refusal, plan.newPath));
        return Result::kFailed;
    }
    if (options.dryRun) {
        if (plan.newPath != v.file.path &&
            rawfile::CheckRenameTarget(v.file.path, plan.newPath) == rawfile::TargetState::kOther) {
            console.Err(OneLine(v.file.path) + u": " +
                        RefusalText(rawfile::SaveRefusal::kTargetExists, OneLine(plan.newPath)));
            return Result::kFailed;
        }
        console.Out(OneLine(v.file.path) + u": would save, " + ChangeText(v, plan));
        return Result::kDone;
    }
    const rawfile::SaveOutcome outcome = rawfile::CarryOutSave(v.file.path, plan);
    if (outcome.status != rawfile::SaveStatus::kSaved) {
        console.Err(OneLine(v.file.path) + u": " + SaveFailureText(outcome, OneLine(plan.newPath)));
        return Result::kFailed;
    }
    console.Out(OneLine(v.file.path) + u": saved, " + ChangeText(v, plan));
    return Result::kDone;
}

}  // namespace

int RunSet(const Options& options, Console& console) {
    int status = 0;
    for (std::size_t i = 0; i < options.files.size(); ++i) {
        console.Progress(i, options.files.size());
        if (SetOne(options, options.files[i], console) == Result::kFailed) {
            status = 1;
        }
    }
    console.EndProgress();
    return status;
}

}  // namespace rvxedit
