#include "analytics/AnalyticsServices.h"

#include "analytics/AnalyticsManager.h"
#include "analytics/ApplicationLifecycle.h"
#include "analytics/MainExecutor.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyManager.h"
#include "analytics/TallyRandom.h"
#include "analytics/TallyUuidSource.h"

namespace brimlark {

void AnalyticsServices::install(std::shared_ptr<MainExecutor> mainExecutor)
{
    MainExecutor::installShared(std::move(mainExecutor));
    TallyClock::installShared(std::make_shared<SystemTallyClock>());
    TallyRandom::installShared(std::make_shared<SystemTallyRandom>());
    TallyUuidSource::installShared(std::make_shared<RandomTallyUuidSource>());
    ApplicationLifecycle::installShared(std::make_shared<ApplicationLifecycle>());
    TallyManager::installSharedInstance(TallyManager::createForProcess());
    AnalyticsManager::installShared(
        std::make_shared<AnalyticsManager>(AnalyticsManager::buildConfiguration()));
}

} // namespace brimlark
