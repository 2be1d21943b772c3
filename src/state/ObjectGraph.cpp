#include "state/ObjectGraph.h"

#include "platform/base/Defaults.h"

namespace brimlark {

namespace {

std::shared_ptr<Defaults> settingsOrInMemory(std::shared_ptr<Defaults> defaults)
{
    return defaults ? std::move(defaults) : std::make_shared<Defaults>();
}

} // namespace

ObjectGraph::ObjectGraph(Options options)
    : m_options(std::move(options))
    , m_defaults(settingsOrInMemory(m_options.defaults))
    , m_ownScheduler(m_options.scheduler ? nullptr : std::make_unique<TimerScheduler>())
    , m_scheduler(m_options.scheduler ? m_options.scheduler : m_ownScheduler.get())
    , m_biometrics(m_options.biometrics ? m_options.biometrics : &m_noBiometrics)
    , m_workspaces(*m_defaults, m_center)
    , m_storage(*m_defaults, m_workspaces, m_center)
    , m_finder(*m_defaults, m_workspaces, m_center, m_options.clock, m_options.fileDates)
{
}

ObjectGraph::ObjectGraph()
    : ObjectGraph(Options {})
{
}

ObjectGraph::~ObjectGraph() = default;

BrimlarkViewModel::Services ObjectGraph::viewModelServices()
{
    BrimlarkViewModel::Services services;
    services.defaults = m_defaults.get();
    services.analytics = m_options.analytics;
    services.workspace = m_options.launcher;
    services.biometrics = m_biometrics;
    services.scheduler = m_scheduler;
    services.notifications = &m_center;
    services.passwordLimits = m_options.passwordLimits;
    return services;
}

BrimlarkViewModel &ObjectGraph::viewModel()
{
    if (!m_viewModel) {
        m_viewModel = std::make_unique<BrimlarkViewModel>(m_finder, viewModelServices());
    }
    return *m_viewModel;
}

} // namespace brimlark
