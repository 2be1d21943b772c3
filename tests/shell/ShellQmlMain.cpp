// The window's content (sidebar, grid, desk tools and uninstall sheet
// together) under Qt Quick Test: the paths a user takes across the views.
// Each test makes its own world through `ShellTest.fixture()`.

#include "GridFixture.h"
#include "QmlTestSetup.h"
#include "ToolsFixture.h"
#include "support/UninstallerFixture.h"

#include "platform/base/DiskAccess.h"
#include "uninstaller/views/UninstallerServices.h"

#include <QDir>
#include <QFileInfo>
#include <QQmlEngine>
#include <QtQuickTest/quicktest.h>

#include <memory>

namespace brimlark::test {

namespace {
class GrantedAccess : public DiskAccess
{
public:
    bool hasAccess() override { return true; }
    void openSystemSettings() override { }
};
} // namespace

// A catalog whose applications are bundles in a temporary tree, the desk
// tools, and an uninstaller that works in that tree (its Trash included).
class WindowFixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(brimlark::BrimlarkViewModel *viewModel READ viewModel CONSTANT)
    Q_PROPERTY(brimlark::WorkspaceManager *workspaceManager READ workspaceManager CONSTANT)
    Q_PROPERTY(brimlark::DeskTools *deskTools READ deskTools CONSTANT)
    Q_PROPERTY(brimlark::UninstallerServices *uninstallerServices READ uninstallerServices CONSTANT)

public:
    WindowFixture()
        : m_grid(m_tree.root() + QStringLiteral("/Applications"))
    {
        m_services = std::make_unique<UninstallerServices>(
            [this] { return m_world.scanner(); }, m_access, m_scheduler);
    }
    ~WindowFixture() override { m_world.pool.waitForDone(); }

    BrimlarkViewModel *viewModel() { return m_grid.viewModel(); }
    WorkspaceManager *workspaceManager() { return &m_grid.workspaces; }
    DeskTools *deskTools() { return m_tools.deskTools(); }
    UninstallerServices *uninstallerServices() const { return m_services.get(); }

    // The named applications, each a bundle on disk, in the catalog.
    Q_INVOKABLE void publish(const QStringList &names)
    {
        for (const QString &name : names) {
            m_tree.file(QStringLiteral("root/Applications/") + name + QStringLiteral(".app/Contents/x"), 10);
        }
        m_grid.publish(names);
    }
    Q_INVOKABLE bool bundleExists(const QString &name) const
    {
        return QFileInfo::exists(
            m_tree.root() + QStringLiteral("/Applications/") + name + QStringLiteral(".app"));
    }
    Q_INVOKABLE QVariant makeFolder(const QString &name) { return m_grid.makeFolder(name); }
    Q_INVOKABLE QStringList folderNames() const { return m_grid.folderNames(); }
    Q_INVOKABLE QStringList folderMembers(const QString &name) const { return m_grid.folderMembers(name); }
    Q_INVOKABLE void advance(int msecs) { m_grid.advance(msecs); }

private:
    ResidualTree m_tree;
    GridFixture m_grid;
    ToolsFixture m_tools;
    ScannerWorld m_world { m_tree };
    GrantedAccess m_access;
    ManualScheduler m_scheduler;
    std::unique_ptr<UninstallerServices> m_services;
};

struct Setup : QmlTestSetup
{
    Setup()
        : QmlTestSetup(u"ShellTest"_qs, &FixtureFactory::of<WindowFixture>)
    {
    }
};

} // namespace brimlark::test

QUICK_TEST_MAIN_WITH_SETUP(shell, brimlark::test::Setup)

#include "ShellQmlMain.moc"
