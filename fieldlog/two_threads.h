// Sharing a run of independent steps between two threads on a machine with two cores.
#pragma once

#include <cstddef>
#include <functional>

namespace rawfile {

// Calls each(i) once for every i in [first, end): on this thread and, where the machine has a
// second core and there are at least `enough` steps, on a second thread too, the two taking
// the next index in turn. Steps must touch only what is theirs, or what is shared under a
// lock. Once both threads stopped, the first exception a step threw is thrown again here (the
// other steps may then not all have run). True when a second thread took part.
bool ForEachOnTwoThreads(std::size_t first, std::size_t end, std::size_t enough,
                         const std::function<void(std::size_t)>& each);

}  // namespace rawfile
