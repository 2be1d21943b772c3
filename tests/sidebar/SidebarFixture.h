#pragma once

#include "model/AppFinder.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "platform/gui/AppWorkspace.h"
#include "state/BrimlarkViewModel.h"
#include "state/ObjectGraph.h"
#include "support/ManualScheduler.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace brimlark::test {

// A catalog and a view model over in-memory settings (or the given ones),
// with applications below /Applications (nothing on disk).
class SidebarFixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(brimlark::BrimlarkViewModel *viewModel READ viewModel CONSTANT)
    Q_PROPERTY(brimlark::WorkspaceManager *workspaceManager READ workspaceManager CONSTANT)

public:
    explicit SidebarFixture(std::shared_ptr<Defaults> settings = nullptr);
    ~SidebarFixture() override;

    AppItem app(const QString &name) const;
    Q_INVOKABLE void publish(const QStringList &names);
    // Creates a folder (under the named parent, if any) and returns it.
    Q_INVOKABLE brimlark::AppFolder makeFolder(const QString &name, const QString &parent = {});
    AppFolder folder(const QString &name) const;
    Q_INVOKABLE QStringList folderNames() const;
    Q_INVOKABLE int selectionKind() const { return m_vm->selection() ? int(m_vm->selection()->kind()) : -1; }

    BrimlarkViewModel &vm() { return *m_vm; }
    BrimlarkViewModel *viewModel() { return m_vm; }
    WorkspaceManager *workspaceManager() { return &workspaces; }
    Q_INVOKABLE QStringList workspaceNames() const;

    AppWorkspace workspace;
    ManualScheduler scheduler;
    ObjectGraph graph;
    Defaults &defaults;
    NotificationCenter &center;
    WorkspaceManager &workspaces;
    AppFinder &finder;

private:
    ObjectGraph::Options options(std::shared_ptr<Defaults> settings);

    BrimlarkViewModel *m_vm;
};

} // namespace brimlark::test
