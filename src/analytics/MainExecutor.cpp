#include "analytics/MainExecutor.h"

#include "analytics/ThreadMainExecutor.h"

#include <mutex>

namespace brimlark {

namespace {

std::mutex s_sharedMutex;
std::shared_ptr<MainExecutor> s_shared;

} // namespace

RepeatingTimer::~RepeatingTimer() = default;

MainExecutor::~MainExecutor() = default;

std::shared_ptr<MainExecutor> MainExecutor::shared()
{
    std::lock_guard lock(s_sharedMutex);
    if (!s_shared) {
        s_shared = std::make_shared<ThreadMainExecutor>();
    }
    return s_shared;
}

void MainExecutor::installShared(std::shared_ptr<MainExecutor> executor)
{
    std::lock_guard lock(s_sharedMutex);
    s_shared = std::move(executor);
}

} // namespace brimlark
