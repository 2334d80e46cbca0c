#include "batch.h"
#include "commands.h"
#include "escape.h"
#include "field_log.h"
#include "text.h"

namespace rvxedit {

int RunApply(const Options& options, Console& console) {
    const CliTexts& t = console.Texts();
    const Arg& logArg = options.files[0];
    std::u16string logName;
    if (!NameInput(logArg, console, &logName)) {
        return 1;
    }
    rawfile::TextEncoding encoding = rawfile::TextEncoding::kAuto;
    if (options.encoding) {
        rawfile::EncodingByName(*options.encoding, &encoding);
    }
    double tolerance = 0;
    Tolerance(options, &tolerance);
    std::optional<double> maxHeight;
    MaxHeight(options, &maxHeight);
    const FieldLog log = ReadFieldLog(logArg.text, encoding, tolerance, maxHeight, t);
    if (!log.problem.empty()) {
        console.Err(log.problemRow == 0 ? logName + u": " + log.problem
                                        : AtRow(logName, log.problemRow, log.problem, t));
        return 1;
    }
    console.Out(logName + u": " + log.encoding);
    std::vector<BatchItem> items;
    for (const LogRow& row : log.rows) {
        if (!row.problem.empty()) {
            items.push_back({row.number, FileItem{row.file, row.problem}, {}, {}});
            continue;
        }
        std::vector<FileItem> expanded;
        ExpandArg(row.file, options.recursive, t, &expanded);
        for (FileItem& item : expanded) {
            items.push_back({row.number, std::move(item), row.pointName, row.height});
        }
    }
    return RunBatch(items, {logName, options.dryRun, options.record, false, logArg.text}, console);
}

}  // namespace rvxedit
