#pragma once

#include "model/AppFinder.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/core/Biometrics.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/Scheduler.h"
#include "state/BrimlarkViewModel.h"
#include "state/PasswordHashing.h"

#include <memory>

namespace brimlark {

class AnalyticsReporter;
class ApplicationLauncher;
class Defaults;

// The services the catalog and the view model stand on, wired in one place:
// settings → notification centre → workspace manager and storage → catalog
// → view model. The program, the test fixtures and the benchmarks build
// theirs through it, so a new service is wired once. Whatever the options
// leave out the graph makes itself (in-memory settings, a timer scheduler,
// no biometrics); what they pass in must outlive the graph. Members go in
// the reverse order they were made: the view model first. Main thread only.
class ObjectGraph
{
public:
    struct Options
    {
        // The settings everything reads and writes; null for in-memory ones.
        std::shared_ptr<Defaults> defaults;
        // Delayed main-thread work; null for a TimerScheduler of the graph's own.
        Scheduler *scheduler = nullptr;
        // The catalog's clock and the bundles' file dates.
        AppFinder::Clock clock = AppFinder::systemClock;
        AppFinder::FileDateReader fileDates = AppFinder::systemFileDates;
        // The rest is what the view model needs. The launcher is required
        // once a view model is made.
        ApplicationLauncher *launcher = nullptr;
        // Null for biometrics that are not available, as on Linux.
        Biometrics *biometrics = nullptr;
        // Null sends no usage events.
        AnalyticsReporter *analytics = nullptr;
        PasswordHashing::Limits passwordLimits = PasswordHashing::Limits::interactive();
    };

    ObjectGraph();
    explicit ObjectGraph(Options options);
    ~ObjectGraph();
    ObjectGraph(const ObjectGraph &) = delete;
    ObjectGraph &operator=(const ObjectGraph &) = delete;

    Defaults &defaults() const { return *m_defaults; }
    const std::shared_ptr<Defaults> &sharedDefaults() const { return m_defaults; }
    NotificationCenter &center() { return m_center; }
    Scheduler &scheduler() const { return *m_scheduler; }
    Biometrics &biometrics() const { return *m_biometrics; }
    WorkspaceManager &workspaces() { return m_workspaces; }
    WorkspaceStorage &storage() { return m_storage; }
    AppFinder &finder() { return m_finder; }

    // Made on the first call (the program makes it once its window is on
    // the way); the same object afterwards.
    BrimlarkViewModel &viewModel();
    // What viewModel() makes it with; tests make view models of their own
    // with one service changed.
    BrimlarkViewModel::Services viewModelServices();
    // Null until viewModel() made it.
    BrimlarkViewModel *existingViewModel() const { return m_viewModel.get(); }

private:
    Options m_options;
    std::shared_ptr<Defaults> m_defaults;
    std::unique_ptr<TimerScheduler> m_ownScheduler;
    Scheduler *m_scheduler;
    UnavailableBiometrics m_noBiometrics;
    Biometrics *m_biometrics;
    NotificationCenter m_center;
    WorkspaceManager m_workspaces;
    WorkspaceStorage m_storage;
    AppFinder m_finder;
    std::unique_ptr<BrimlarkViewModel> m_viewModel;
};

} // namespace brimlark
