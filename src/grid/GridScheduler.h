#pragma once

#include "state/Scheduler.h"

namespace brimlark {

// The main-thread scheduler the grid's delayed interface work goes through
// (the launching look's reset, the hover reorder), so tests can move time
// forward instead of waiting.
class GridScheduler
{
public:
    // The installed scheduler, or the process's main-loop one.
    static Scheduler &shared();
    // Null restores the main-loop scheduler. The caller keeps it alive while
    // installed.
    static void install(Scheduler *scheduler);
};

} // namespace brimlark
