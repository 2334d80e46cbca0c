#include "commands.h"
#include "english.h"
#include "escape.h"
#include "raw_view.h"

namespace rvxedit {

namespace {

enum class Result { kDone, kFailed };

std::u16string ChangeText(const std::u16string& oldName, const std::u16string& oldHeight,
                          const rawfile::RawFileEditor& editor, const rawfile::SavePlan& plan) {
    const std::u16string newName = plan.pointName + editor.File().tail;
    return u"name " + OneLine(oldName) + u" -> " + OneLine(newName) + u", height " + oldHeight +
           u" -> " + Widen(plan.height.text);
}

Result SetOne(const Options& options, const Arg& file, Console& console) {
    rawfile::RawFileEditor editor;
    std::u16string reason;
    if (!LoadFile(file, &editor, &reason)) {
        console.Err(OneLine(file.text) + u": " + reason);
        return Result::kFailed;
    }
    // A field not given keeps the file's own value; the save step compares both with the file's
    // and writes nothing when neither differs, as in the dialog.
    const std::u16string pointName = options.pointName.value_or(editor.PointName());
    const std::u16string height = options.height.value_or(editor.HeightText());
    const std::u16string path = OneLine(editor.Path());
    const std::u16string oldName = editor.FileName();
    const std::u16string oldHeight = editor.HeightText();
    const rawfile::SaveOutcome outcome =
        options.dryRun ? editor.Check(pointName, height) : editor.Save(pointName, height);
    switch (outcome.status) {
        case rawfile::SaveStatus::kUnchanged:
            console.Out(path + u": unchanged");
            return Result::kDone;
        case rawfile::SaveStatus::kReady:
            console.Out(path + u": would save, " +
                        ChangeText(oldName, oldHeight, editor, outcome.plan));
            return Result::kDone;
        case rawfile::SaveStatus::kSaved:
            console.Out(path + u": saved, " + ChangeText(oldName, oldHeight, editor, outcome.plan));
            return Result::kDone;
        default:
            console.Err(path + u": " + SaveFailureText(outcome, OneLine(outcome.plan.newPath)));
            return Result::kFailed;
    }
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
