#include "batch.h"
#include "commands.h"

namespace rvxedit {

int RunSet(const Options& options, Console& console) {
    std::vector<FileItem> files;
    for (const Arg& file : options.files) {
        ExpandArg(file, options.recursive, console.Texts(), &files);
    }
    // A field not given keeps the file's own value.
    std::optional<std::u16string> height;
    std::u16string error;
    SetHeight(options, console.Texts(), &height, &error);
    BatchItems items;
    items.items.reserve(files.size());
    for (FileItem& file : files) {
        items.Add(0, std::move(file), options.pointName, height);
    }
    return RunBatch(std::move(items), {u"", options.dryRun, options.record, false, u""}, console);
}

}  // namespace rvxedit
