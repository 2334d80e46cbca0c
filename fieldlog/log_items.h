// The one step from a field log's rows to the planner's items, for every front end: a row's
// file, point name and height, and its own problem as a value, for which the planner refuses
// it (Refusal::kRow) while still checking it against the other rows.
#pragma once

#include <vector>

#include "log_plan.h"
#include "log_reader.h"

namespace rawfile {

// The plan item of one row (taking its texts when it is given as a temporary).
PlanItem PlanItemOf(LogRow row);

// The plan items of every row of `log`, one a row, in its order.
std::vector<PlanItem> PlanItemsOf(const FieldLog& log);

}  // namespace rawfile
