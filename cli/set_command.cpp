#include "batch.h"
#include "commands.h"

namespace rvxedit {

int RunSet(const Options& options, Console& console) {
    std::vector<FileItem> files;
    for (const Arg& file : options.files) {
        ExpandArg(file, options.recursive, console.Texts(), &files);
    }
    // A field not given keeps the file's own value.
    std::vector<BatchItem> items;
    for (FileItem& file : files) {
        items.push_back({0, std::move(file), options.pointName, options.height});
    }
    return RunBatch(items, u"", options.dryRun, console);
}

}  // namespace rvxedit
