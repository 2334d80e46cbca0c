#include <utility>

#include "batch.h"
#include "commands.h"
#include "field_log.h"
#include "log_messages.h"

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
    rawfile::FieldLog log = rawfile::ReadFieldLog(logArg.text, encoding, tolerance, maxHeight);
    const std::u16string problem = LogProblemLine(logName, log, t);
    if (!problem.empty()) {
        console.Err(problem);
        return 1;
    }
    console.Out(logName + u": " + texts::LogEncoding(log, t.language));
    // The log is let go before the files are checked: its rows live on as the items.
    BatchItems items = LogItems(std::move(log), options.recursive, t);
    return RunBatch(std::move(items), {logName, options.dryRun, options.record, false, logArg.text},
                    console);
}

}  // namespace rvxedit
