#include "grid/GridScheduler.h"

namespace brimlark {

namespace {
Scheduler *s_installed = nullptr;
}

Scheduler &GridScheduler::shared()
{
    return s_installed ? *s_installed : Scheduler::main();
}

void GridScheduler::install(Scheduler *scheduler)
{
    s_installed = scheduler;
}

} // namespace brimlark
