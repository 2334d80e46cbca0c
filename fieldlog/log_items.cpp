#include "log_items.h"

namespace rawfile {

PlanItem PlanItemOf(const LogRow& row) {
    PlanItem item;
    item.row = row.number;
    item.path = row.file;
    item.pointName = row.pointName;
    item.height = row.height;
    item.problem = row.problem;
    return item;
}

std::vector<PlanItem> PlanItemsOf(const FieldLog& log) {
    std::vector<PlanItem> items;
    items.reserve(log.rows.size());
    for (const LogRow& row : log.rows) {
        items.push_back(PlanItemOf(row));
    }
    return items;
}

}  // namespace rawfile
