#include "shell/MenuCommands.h"

#include "platform/NotificationCenter.h"
#include "state/BrimlarkViewModel.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QVariantMap>

#include <algorithm>

namespace brimlark {

MenuCommands::MenuCommands(BrimlarkViewModel *viewModel, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
{
}

MenuCommands &MenuCommands::shared()
{
    static MenuCommands *instance = new MenuCommands(nullptr);
    return *instance;
}

MenuCommands *MenuCommands::create(QQmlEngine *qmlEngine, QJSEngine *jsEngine)
{
    Q_UNUSED(qmlEngine);
    Q_UNUSED(jsEngine);
    MenuCommands *instance = &shared();
    // Shared by every engine of the process: no engine may delete it.
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}

const std::vector<MenuCommands::LibraryCommand> &MenuCommands::libraryCommands()
{
    static const std::vector<LibraryCommand> commands {
        { QStringLiteral("All Apps"), QStringLiteral("Ctrl+1"), QStringLiteral("allApps") },
        { QStringLiteral("Newly Added"), QStringLiteral("Ctrl+2"), QStringLiteral("newlyAdded") },
        { QStringLiteral("Recents"), QStringLiteral("Ctrl+3"), QStringLiteral("recents") },
        { QStringLiteral("Favorites"), QStringLiteral("Ctrl+4"), QStringLiteral("favorites") },
    };
    return commands;
}

QVariantList MenuCommands::libraryCommandList() const
{
    QVariantList list;
    for (const LibraryCommand &command : libraryCommands()) {
        list.append(QVariantMap { { QStringLiteral("title"), command.title },
            { QStringLiteral("shortcut"), command.shortcut },
            { QStringLiteral("selection"), command.selection } });
    }
    return list;
}

void MenuCommands::searchApps()
{
    NotificationCenter::defaultCenter().post(Notifications::SearchFocusRequested);
}

void MenuCommands::showLibrarySection(const QString &selection)
{
    const auto &commands = libraryCommands();
    const bool known = std::any_of(commands.begin(), commands.end(),
        [&](const LibraryCommand &command) { return command.selection == selection; });
    if (!known) {
        return;
    }
    // Without a view model (not attached yet) there is no selection to set.
    if (m_viewModel) {
        m_viewModel->setLibrarySelection(selection);
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
