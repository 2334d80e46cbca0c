#include "field_log.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "log_items.h"
#include "log_messages.h"
#include "two_threads.h"

namespace rvxedit {

namespace {

// Rows looked at on two threads from this many on: fewer take less than starting a thread.
constexpr std::size_t kShareRowsFrom = 512;

}  // namespace

std::u16string LogProblemLine(const std::u16string& name, const rawfile::FieldLog& log,
                              const CliTexts& t) {
    if (log.problem == rawfile::LogProblem::kNone) {
        return u"";
    }
    std::u16string problem = texts::LogProblemText(log, t.language);
    if (log.problem == rawfile::LogProblem::kMarkDisagrees) {
        problem += t.markDisagreesHint;
    } else if (log.problem == rawfile::LogProblem::kEncodingUnsure) {
        problem += t.encodingUnsureHint;
    }
    return log.problemRow == 0 ? name + u": " + problem : AtRow(name, log.problemRow, problem, t);
}

BatchItems LogItems(rawfile::FieldLog log, bool recursive, const CliTexts& t,
                    rawfile::FolderListings listed) {
    BatchItems batch;
    batch.listings = std::move(listed);
    // Whether each row names a folder is asked on two threads: most rows name a file, and the
    // look at its folder's listing is most of what a row costs here.
    std::vector<char> namesFolder(log.rows.size());
    rawfile::TwoThreads threads;
    threads.ForEach(0, log.rows.size(), kShareRowsFrom, [&](std::size_t i) {
        const rawfile::LogRow& row = log.rows[i];
        namesFolder[i] = row.problem.kind == rawfile::LogRowProblem::kNone &&
                         KindOf(row.file, &batch.listings) == EntryKind::kFolder;
    });
    batch.items.reserve(log.rows.size());
    for (std::size_t i = 0; i < log.rows.size(); ++i) {
        rawfile::PlanItem item = rawfile::PlanItemOf(std::move(log.rows[i]));
        // Most rows name a file: it is the item as it stands.
        if (namesFolder[i] == 0) {
            batch.items.push_back(std::move(item));
            continue;
        }
        std::vector<FileItem> files;
        ExpandArg(Arg{item.path, true}, recursive, t, &files, &batch.listings);
        for (FileItem& file : files) {
            batch.Add(item.row, std::move(file), item.pointName, item.height);
        }
    }
    return batch;
}

}  // namespace rvxedit
