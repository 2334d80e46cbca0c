#include "field_log.h"

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

std::vector<BatchItem> LogItems(const rawfile::FieldLog& log, bool recursive, const CliTexts& t) {
    std::vector<BatchItem> items;
    for (const rawfile::LogRow& row : log.rows) {
        const rawfile::PlanItem item = rawfile::PlanItemOf(row);
        std::vector<FileItem> files;
        if (item.problem.kind == rawfile::LogRowProblem::kNone) {
            ExpandArg(Arg{item.path, true}, recursive, t, &files);
        } else {
            files.push_back(FileItem{Arg{item.path, true}, u""});
        }
        for (FileItem& file : files) {
            items.push_back({item.row, std::move(file), item.pointName, item.height, std::nullopt,
                             item.problem});
        }
    }
    return items;
}

}  // namespace rvxedit
