#include "analytics/MainExecutor.h"

#include "platform/base/ProcessWide.h"

namespace brimlark {

namespace {

ProcessWide<MainExecutor> s_shared("MainExecutor::shared()");

} // namespace

RepeatingTimer::~RepeatingTimer() = default;

MainExecutor::~MainExecutor() = default;

std::shared_ptr<MainExecutor> MainExecutor::shared()
{
    return s_shared.get();
}

std::shared_ptr<MainExecutor> MainExecutor::installShared(std::shared_ptr<MainExecutor> executor)
{
    return s_shared.install(std::move(executor));
}

} // namespace brimlark
