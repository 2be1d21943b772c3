#include "SidebarFixture.h"

#include "platform/core/BundleUrl.h"

namespace brimlark::test {

SidebarFixture::SidebarFixture(std::shared_ptr<Defaults> settings)
    : graph(options(std::move(settings)))
    , defaults(graph.defaults())
    , center(graph.center())
    , workspaces(graph.workspaces())
    , finder(graph.finder())
    , m_vm(&graph.viewModel())
{
}

ObjectGraph::Options SidebarFixture::options(std::shared_ptr<Defaults> settings)
{
    ObjectGraph::Options o;
    o.defaults = std::move(settings);
    o.scheduler = &scheduler;
    o.clock = [] { return QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC); };
    o.fileDates = [](const QString &) { return std::nullopt; };
    o.launcher = &workspace;
    o.passwordLimits = PasswordHashing::Limits::minimum();
    return o;
}

SidebarFixture::~SidebarFixture() = default;

AppItem SidebarFixture::app(const QString &name) const
{
    return AppItem(name,
        BundleUrl::directoryUrl(QStringLiteral("/Applications/") + name + QStringLiteral(".app")),
        QStringLiteral("Utilities"));
}

void SidebarFixture::publish(const QStringList &names)
{
    QList<AppItem> apps;
    for (const auto &n : names) {
        apps << app(n);
    }
    finder.publishScan(apps, finder.beginScan());
}

AppFolder SidebarFixture::makeFolder(const QString &name, const QString &parent)
{
    std::optional<QUuid> parentID;
    if (!parent.isEmpty()) {
        parentID = folder(parent).id;
    }
    finder.createFolder(name, QStringLiteral("folder"), QStringLiteral("#336699"), parentID);
    return folder(name);
}

AppFolder SidebarFixture::folder(const QString &name) const
{
    for (const auto &f : finder.folders()) {
        if (f.name == name) {
            return f;
        }
    }
    return {};
}

QStringList SidebarFixture::folderNames() const
{
    QStringList out;
    for (const auto &f : finder.getRootFolders()) {
        out << f.name;
    }
    return out;
}

QStringList SidebarFixture::workspaceNames() const
{
    QStringList out;
    for (const auto &w : workspaces.workspaces()) {
        out << w.name;
    }
    return out;
}

} // namespace brimlark::test
