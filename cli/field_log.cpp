#include "field_log.h"

#include <utility>

#include "log_items.h"
#include "log_messages.h"

namespace rvxedit {

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
    batch.items.reserve(log.rows.size());
    for (rawfile::LogRow& row : log.rows) {
        rawfile::PlanItem item = rawfile::PlanItemOf(std::move(row));
        // Most rows name a file: it is the item as it stands.
        if (item.problem.kind != rawfile::LogRowProblem::kNone ||
            KindOf(item.path, &batch.listings) != EntryKind::kFolder) {
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
