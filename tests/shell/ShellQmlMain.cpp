// The window's content (sidebar, grid, desk tools and uninstall sheet
// together) under Qt Quick Test: the paths a user takes across the views.
// Each test makes its own world through `ShellTest.fixture()`.

#include "GridFixture.h"
#include "QmlTestSetup.h"
#include "ToolsFixture.h"
#include "support/UninstallerFixture.h"

#include "platform/base/DiskAccess.h"
#include "platform/base/Trash.h"
#include "uninstaller/views/UninstallerServices.h"

#include <QDir>
#include <QFileInfo>
#include <QQmlEngine>
#include <QThreadPool>
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
            [this] {
                AppUninstallerScanner::Services s;
                s.home = m_tree.home();
                s.systemRoot = m_tree.root();
                s.bundleIdentifier = [](const QString &) { return std::optional<QString>(); };
                s.isDeletable = [](const QByteArray &) { return true; };
                s.adminRunner = &m_admin;
                s.trash = &m_trash;
                s.pool = &m_pool;
                return std::make_unique<AppUninstallerScanner>(std::move(s));
            },
            m_access, m_scheduler);
    }
    ~WindowFixture() override { m_pool.waitForDone(); }

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
    FakeAdminRunner m_admin;
    Trash m_trash { (m_tree.home() + QStringLiteral("/.local/share")).toStdString() };
    QThreadPool m_pool;
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
