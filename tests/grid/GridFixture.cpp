#include "GridFixture.h"

#include "platform/core/BundleUrl.h"
#include "platform/gui/AppIconStore.h"
#include "support/GraphOptions.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QMetaEnum>

namespace brimlark::test {

GridFixture::GridFixture(const QString &root, QObject *parent)
    : QObject(parent)
    , root(root)
    , graph(options())
    , defaults(graph.defaults())
    , center(graph.center())
    , workspaces(graph.workspaces())
    , finder(graph.finder())
    , m_vm(&graph.viewModel())
{
}

ObjectGraph::Options GridFixture::options()
{
    return fixedClockOptions(scheduler, workspace, biometrics);
}

GridFixture::~GridFixture() = default;

AppItem GridFixture::app(const QString &name, const QString &category) const
{
    return AppItem(name, BundleUrl::directoryUrl(root + u'/' + name + QStringLiteral(".app")), category);
}

bool GridFixture::setPassword(const QString &password)
{
    bool done = false;
    m_vm->hiddenItemsLock()->setSecurityPassword(
        password, false, [&done](bool, std::optional<QString>) { done = true; });
    const bool set = waitUntil([&done] { return done; }) && m_vm->hiddenItemsLock()->isSecurityPasswordSet();
    // Setting a password unlocks, and the views answer on the next turn of
    // the event loop (the search field asks for the keyboard). That turn is
    // served here, so a test that locks and shows a lock screen next does
    // not see the field take the keys from it.
    QCoreApplication::sendPostedEvents();
    return set;
}

void GridFixture::publish(const QStringList &names)
{
    QList<AppItem> apps;
    for (const auto &n : names) {
        apps << app(n);
    }
    publish(apps);
}

void GridFixture::publishIn(const QStringList &names, const QStringList &categories)
{
    QList<AppItem> apps;
    for (qsizetype i = 0; i < names.size(); ++i) {
        apps << app(names[i], categories.value(i, QStringLiteral("Utilities")));
    }
    publish(apps);
}

void GridFixture::setSortOption(const QString &text)
{
    if (const auto option = AppSortOptions::fromText(text)) {
        finder.setAllAppsSortOption(*option);
    }
}

void GridFixture::hideFolder(const QString &name)
{
    m_vm->hideFolderGlobally(folder(name));
}

bool GridFixture::isFolderHidden(const QString &name) const
{
    return finder.hiddenFolderIDs().contains(folder(name).id);
}

void GridFixture::hideApps(const QStringList &names)
{
    for (const auto &n : names) {
        const QVariant a = appNamed(n);
        if (a.isValid()) {
            finder.hideApp(a.value<AppItem>());
        }
    }
}

QStringList GridFixture::manyNames(int count) const
{
    QStringList out;
    for (int i = 1; i <= count; ++i) {
        out << QStringLiteral("App %1").arg(i, 4, 10, QLatin1Char('0'));
    }
    return out;
}

QStringList GridFixture::folderNames() const
{
    QStringList out;
    for (const auto &f : finder.folders()) {
        out << f.name;
    }
    return out;
}

void GridFixture::publish(const QList<AppItem> &apps)
{
    finder.publishScan(apps, finder.beginScan());
}

QVariant GridFixture::makeFolder(const QString &name, const QStringList &members)
{
    finder.createFolder(name, QStringLiteral("folder"), QStringLiteral("#336699"));
    AppFolder created;
    for (const auto &f : finder.folders()) {
        if (f.name == name) {
            created = f;
        }
    }
    for (const auto &m : members) {
        const QVariant a = appNamed(m);
        if (a.isValid()) {
            finder.addAppToFolder(a.value<AppItem>(), created);
        }
    }
    return QVariant::fromValue(folder(name));
}

AppFolder GridFixture::folder(const QString &name) const
{
    for (const auto &f : finder.folders()) {
        if (f.name == name) {
            return f;
        }
    }
    return {};
}

QStringList GridFixture::folderMembers(const QString &name) const
{
    QStringList out;
    for (const auto &a : finder.getAppsInFolder(folder(name))) {
        out << a.name();
    }
    return out;
}

void GridFixture::setAppPicker(const QVariant &folder)
{
    const bool shown = folder.metaType() == QMetaType::fromType<AppFolder>();
    vm().setFolderForPicker(shown ? std::optional(folder.value<AppFolder>()) : std::nullopt);
    vm().setShowingAppPicker(shown);
}

QVariant GridFixture::appNamed(const QString &name) const
{
    for (const auto &a : finder.apps()) {
        if (a.name() == name) {
            return QVariant::fromValue(a);
        }
    }
    return {};
}

QString GridFixture::urlTextOf(const QString &name) const
{
    return app(name).urlText();
}

void GridFixture::selectFolder(const QString &name)
{
    m_vm->selectFolder(folder(name));
}

void GridFixture::selectSection(const QString &kind)
{
    bool ok = false;
    const int value
        = QMetaEnum::fromType<SidebarSelection::Kind>().keyToValue(kind.toLatin1().constData(), &ok);
    if (ok) {
        m_vm->selectSection(SidebarSelection::Kind(value));
    }
}

void GridFixture::beginScan()
{
    finder.beginScan();
}

void GridFixture::advance(int msecs)
{
    scheduler.advance(std::chrono::milliseconds(msecs));
}

QStringList GridFixture::gridItemTexts()
{
    QStringList out;
    for (const auto &item : vm().unifiedGridItems()) {
        out << item.stringRepresentation();
    }
    return out;
}

} // namespace brimlark::test
