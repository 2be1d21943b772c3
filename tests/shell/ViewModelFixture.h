#pragma once

#include "model/AppFinder.h"
#include "model/WorkspaceManager.h"
#include "platform/AppWorkspace.h"
#include "platform/Biometrics.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "state/BrimlarkViewModel.h"
#include "support/ManualScheduler.h"

#include <QMetaEnum>
#include <QStringList>

namespace brimlark::test {

// A view model over in-memory settings and an empty catalog, recording each
// selection it is given (by its section's case name).
struct ViewModelFixture
{
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces { defaults, center };
    AppFinder finder { defaults, workspaces, center };
    AppWorkspace workspace;
    UnavailableBiometrics biometrics;
    ManualScheduler scheduler;
    BrimlarkViewModel vm { finder, services() };
    QStringList selections;

    ViewModelFixture()
    {
        QObject::connect(&vm, &BrimlarkViewModel::selectionChanged, [this] {
            const auto kind = QMetaEnum::fromType<SidebarSelection::Kind>();
            selections << (vm.selection() ? QString::fromLatin1(kind.valueToKey(int(vm.selection()->kind())))
                                          : QString());
        });
    }
    BrimlarkViewModel::Services services()
    {
        BrimlarkViewModel::Services s;
        s.defaults = &defaults;
        s.workspace = &workspace;
        s.biometrics = &biometrics;
        s.scheduler = &scheduler;
        s.passwordLimits = PasswordHashing::Limits::minimum();
        return s;
    }
};

} // namespace brimlark::test
