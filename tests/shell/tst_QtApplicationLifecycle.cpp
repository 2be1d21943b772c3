#include "analytics/ApplicationLifecycle.h"
#include "shell/QtApplicationLifecycle.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QStringList>

using namespace brimlark;

namespace {

class Recorder : public ApplicationLifecycleObserver
{
public:
    void applicationWillResignActive() override { events.append(u"resign"_qs); }
    void applicationDidBecomeActive() override { events.append(u"active"_qs); }
    QStringList events;
};

TEST(QtApplicationLifecycle, ReportsOnlyChangesIntoAndOutOfActive)
{
    auto lifecycle = std::make_shared<ApplicationLifecycle>();
    auto recorder = std::make_shared<Recorder>();
    lifecycle->addObserver(recorder);
    QtApplicationLifecycle adapter(lifecycle);
    adapter.applicationStateChanged(Qt::ApplicationInactive); // from the start state: no change
    recorder->events.clear();

    const Qt::ApplicationState states[]
        = { Qt::ApplicationActive, Qt::ApplicationActive, Qt::ApplicationInactive, Qt::ApplicationHidden,
              Qt::ApplicationActive, Qt::ApplicationSuspended, Qt::ApplicationInactive };
    for (const Qt::ApplicationState state : states) {
        adapter.applicationStateChanged(state);
    }
    EXPECT_EQ(recorder->events, (QStringList { u"active"_qs, u"resign"_qs, u"active"_qs, u"resign"_qs }));
}

TEST(QtApplicationLifecycle, FollowsTheApplicationsStateSignal)
{
    auto lifecycle = std::make_shared<ApplicationLifecycle>();
    auto recorder = std::make_shared<Recorder>();
    lifecycle->addObserver(recorder);
    QtApplicationLifecycle adapter(lifecycle);
    const bool startedActive = QGuiApplication::applicationState() == Qt::ApplicationActive;
    emit qApp->applicationStateChanged(startedActive ? Qt::ApplicationInactive : Qt::ApplicationActive);
    ASSERT_EQ(recorder->events.size(), 1);
    EXPECT_EQ(recorder->events.first(), startedActive ? u"resign"_qs : u"active"_qs);
}

} // namespace
