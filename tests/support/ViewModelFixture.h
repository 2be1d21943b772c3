#pragma once

#include "model/AppFinder.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/ApplicationLauncher.h"
#include "platform/core/NotificationCenter.h"
#include "state/BrimlarkViewModel.h"
#include "state/ObjectGraph.h"
#include "support/ManualScheduler.h"

#include <QMetaEnum>
#include <QStringList>

namespace brimlark::test {

// A view model over in-memory settings and an empty catalog, recording each
// selection it is given (by its section's case name).
struct ViewModelFixture
{
    ApplicationLauncher workspace;
    ManualScheduler scheduler;
    ObjectGraph graph { options() };
    Defaults &defaults = graph.defaults();
    NotificationCenter &center = graph.center();
    WorkspaceManager &workspaces = graph.workspaces();
    AppFinder &finder = graph.finder();
    BrimlarkViewModel &vm = graph.viewModel();
    QStringList selections;

    ViewModelFixture()
    {
        QObject::connect(&vm, &BrimlarkViewModel::selectionChanged, [this] {
            const auto kind = QMetaEnum::fromType<SidebarSelection::Kind>();
            selections << (vm.selection() ? QString::fromLatin1(kind.valueToKey(int(vm.selection()->kind())))
                                          : QString());
        });
    }
    ObjectGraph::Options options()
    {
        ObjectGraph::Options o;
        o.launcher = &workspace;
        o.scheduler = &scheduler;
        o.passwordLimits = PasswordHashing::Limits::minimum();
        return o;
    }
};

} // namespace brimlark::test
