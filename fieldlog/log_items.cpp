#include "log_items.h"

namespace rawfile {

PlanItem PlanItemOf(LogRow row) {
    PlanItem item;
    item.row = row.number;
    item.path = std::move(row.file);
    item.pointName = std::move(row.pointName);
    item.height = std::move(row.height);
    item.problem = std::move(row.problem);
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
