#include <future>
#include <utility>

#include "batch.h"
#include "commands.h"
#include "field_log.h"
#include "log_messages.h"

namespace rvxedit {

namespace {

// True when the log's bytes were read as text; its problem, if any, is in its cells.
bool Decoded(const rawfile::FieldLog& log) {
    switch (log.problem) {
        case rawfile::LogProblem::kTooLarge:
        case rawfile::LogProblem::kUnreadable:
        case rawfile::LogProblem::kNotText:
        case rawfile::LogProblem::kControlCharacter:
        case rawfile::LogProblem::kMarkDisagrees:
        case rawfile::LogProblem::kEncodingUnsure:
            return false;
        default:
            return true;
    }
}

}  // namespace

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
    // Most logs name files in their own folder: it is listed while the log is read (or, with
    // no thread to be had, after it). A listing cut short is not whole, and the files are then
    // looked at on the disk.
    rawfile::FolderListings listed;
    std::future<void> listing =
        std::async(std::launch::async | std::launch::deferred,
                   [&listed, &logArg] { rawfile::ListFolderOf(logArg.text, &listed); });
    rawfile::FieldLog log = rawfile::ReadFieldLog(logArg.text, encoding, tolerance, maxHeight);
    listing.wait();
    // The encoding is said whenever the log's text was read, also when its columns or quotes
    // are at fault: a log read in the wrong encoding mostly fails there.
    if (Decoded(log)) {
        console.Out(logName + u": " + texts::LogEncoding(log, t.language));
    }
    const std::u16string problem = LogProblemLine(logName, log, t);
    if (!problem.empty()) {
        console.Err(problem);
        return 1;
    }
    // The log is let go before the files are checked: its rows live on as the items.
    BatchItems items = LogItems(std::move(log), options.recursive, t, std::move(listed));
    return RunBatch(std::move(items), {logName, options.dryRun, options.record, false, logArg.text},
                    console);
}

}  // namespace rvxedit
