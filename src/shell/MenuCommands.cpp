#include "shell/MenuCommands.h"

#include "platform/core/NotificationCenter.h"
#include "state/BrimlarkViewModel.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QPointer>
#include <QQmlEngine>
#include <QVariantMap>

#include <algorithm>

namespace brimlark {

namespace {
const char *const EngineProperty = "brimlarkMenuCommands";
}

MenuCommands::MenuCommands(NotificationCenter *center, BrimlarkViewModel *viewModel, QObject *parent)
    : QObject(parent)
    , m_center(center)
    , m_viewModel(viewModel)
{
}

void MenuCommands::attachTo(QQmlEngine &engine)
{
    // Owned by whoever made it: the engine may not delete it.
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
    engine.setProperty(EngineProperty, QVariant::fromValue(QPointer<QObject>(this)));
}

MenuCommands *MenuCommands::create(QQmlEngine *qmlEngine, QJSEngine *jsEngine)
{
    Q_UNUSED(jsEngine);
    if (!qmlEngine) {
        return nullptr;
    }
    return qobject_cast<MenuCommands *>(
        qmlEngine->property(EngineProperty).value<QPointer<QObject>>().data());
}

const std::vector<MenuCommands::LibraryCommand> &MenuCommands::libraryCommands()
{
    static const std::vector<LibraryCommand> commands {
        { QStringLiteral("All Apps"), QStringLiteral("Ctrl+1"), SidebarSelection::Kind::allApps },
        { QStringLiteral("Newly Added"), QStringLiteral("Ctrl+2"), SidebarSelection::Kind::newlyAdded },
        { QStringLiteral("Recents"), QStringLiteral("Ctrl+3"), SidebarSelection::Kind::recents },
        { QStringLiteral("Favorites"), QStringLiteral("Ctrl+4"), SidebarSelection::Kind::favorites },
    };
    return commands;
}

QVariantList MenuCommands::libraryCommandList() const
{
    QVariantList list;
    for (const LibraryCommand &command : libraryCommands()) {
        list.append(QVariantMap { { QStringLiteral("title"), command.title },
            { QStringLiteral("shortcut"), command.shortcut },
            { QStringLiteral("selection"), QVariant::fromValue(command.selection) } });
    }
    return list;
}

void MenuCommands::searchApps()
{
    if (m_center) {
        m_center->post(Notifications::SearchFocusRequested);
    }
}

void MenuCommands::showLibrarySection(SidebarSelection::Kind section)
{
    const auto &commands = libraryCommands();
    const bool known = std::any_of(commands.begin(), commands.end(),
        [&](const LibraryCommand &command) { return command.selection == section; });
    if (!known) {
        return;
    }
    // Without a view model (not attached yet) there is no selection to set.
    if (m_viewModel) {
        m_viewModel->selectSection(section);
    }
}

void MenuCommands::quit()
{
    if (m_quit) {
        m_quit();
        return;
    }
    QCoreApplication::quit();
}

} // namespace brimlark
