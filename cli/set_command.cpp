#include "commands.h"
#include "escape.h"
#include "folders.h"
#include "raw_view.h"

namespace rvxedit {

namespace {

std::u16string ChangeText(const std::u16string& oldName, const std::u16string& oldHeight,
                          const rawfile::RawFileEditor& editor, const rawfile::SavePlan& plan,
                          const CliTexts& t) {
    const std::u16string newName = plan.pointName + editor.File().tail;
    return Fill(t.change, {OneLine(oldName), OneLine(newName), oldHeight, Widen(plan.height.text)});
}

}  // namespace

bool SaveAndReport(rawfile::RawFileEditor& editor, const std::u16string& pointName,
                   const std::u16string& height, bool dryRun, Console& console) {
    const CliTexts& t = console.Texts();
    const std::u16string path = OneLine(editor.Path());
    const std::u16string oldName = editor.FileName();
    const std::u16string oldHeight = editor.HeightText();
    const rawfile::SaveOutcome outcome =
        dryRun ? editor.Check(pointName, height) : editor.Save(pointName, height);
    switch (outcome.status) {
        case rawfile::SaveStatus::kUnchanged:
            console.Out(path + u": " + t.unchanged);
            return true;
        case rawfile::SaveStatus::kReady:
            console.Out(
                path + u": " +
                Fill(t.wouldSave, {ChangeText(oldName, oldHeight, editor, outcome.plan, t)}));
            return true;
        case rawfile::SaveStatus::kSaved:
            console.Out(path + u": " +
                        Fill(t.saved, {ChangeText(oldName, oldHeight, editor, outcome.plan, t)}));
            return true;
        default:
            console.Err(path + u": " + SaveFailureText(outcome, OneLine(outcome.plan.newPath), t));
            return false;
    }
}

int RunSet(const Options& options, Console& console) {
    std::vector<FileItem> items;
    for (const Arg& file : options.files) {
        ExpandArg(file, options.recursive, console.Texts(), &items);
    }
    int status = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        console.Progress(i, items.size());
        rawfile::RawFileEditor editor;
        std::u16string reason = items[i].problem;
        if (!reason.empty() || !LoadFile(items[i].path, console.Texts(), &editor, &reason)) {
            console.Err(OneLine(items[i].path.text) + u": " + reason);
            status = 1;
            continue;
        }
        // A field not given keeps the file's own value; the save step compares both with the
        // file's and writes nothing when neither differs, as in the dialog.
        if (!SaveAndReport(editor, options.pointName.value_or(editor.PointName()),
                           options.height.value_or(editor.HeightText()), options.dryRun, console)) {
            status = 1;
        }
    }
    console.EndProgress();
    return status;
}

}  // namespace rvxedit
