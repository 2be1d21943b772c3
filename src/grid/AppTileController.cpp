#include "grid/AppTileController.h"
#include "views/EnabledStateAccessibility.h"

#include "platform/core/Scheduler.h"
#include "platform/core/UuidText.h"
#include "platform/gui/AppIconImageProvider.h"
#include "state/BrimlarkViewModel.h"

#include <QMetaEnum>

namespace brimlark {

AppTileController::AppTileController(QObject *parent)
    : CatalogClient(parent)
{
}

AppTileController::~AppTileController()
{
    cancelPendingResets();
}

void AppTileController::cancelPendingResets()
{
    // Each reset went to the scheduler of the view model of its click; a
    // view model's scheduler outlives it.
    for (const auto &[viewModel, id] : std::as_const(m_pendingResets)) {
        if (viewModel) {
            viewModel->scheduler().cancel(id);
        }
    }
    m_pendingResets.clear();
}

void AppTileController::setApp(const AppItem &app)
{
    // A tile given another application (a search rewrote its row, or the
    // grid reused it) shows none of the launch of the one before.
    if (app.id() != m_app.id()) {
        cancelPendingResets();
        setLaunching(false);
    }
    m_app = app;
    emit appChanged();
}

QUrl AppTileController::iconSource() const
{
    return m_app.id().isEmpty() ? QUrl() : AppIconImageProvider::urlForPath(m_app.id(), m_app.iconStamp());
}

void AppTileController::setLaunching(bool launching)
{
    if (m_isLaunching == launching) {
        return;
    }
    m_isLaunching = launching;
    emit isLaunchingChanged();
}

void AppTileController::click()
{
    if (!viewModel() || m_app.id().isEmpty()) {
        return;
    }
    setLaunching(true);
    viewModel()->launchApp(m_app);
    QPointer<AppTileController> self(this);
    QPointer<BrimlarkViewModel> owner(viewModel());
    auto id = std::make_shared<Scheduler::TaskId>(0);
    *id = viewModel()->scheduler().schedule(launchingLook, [self, owner, id] {
        if (self) {
            self->m_pendingResets.removeOne(PendingReset { owner, *id });
            self->setLaunching(false);
        }
    });
    m_pendingResets << PendingReset { owner, *id };
    emit launched();
}

QList<MenuEntry> AppTileController::menu() const
{
    if (!viewModel()) {
        return {};
    }
    // Before the menu's rows are first described: an empty submenu's row
    // is disabled and must say so.
    installEnabledStateAccessibility();
    return AppTileMenu::entries(viewModel()->selection(), catalog() && catalog()->isFavorite(m_app),
        viewModel()->folders(), viewModel()->hiddenFolderIDs());
}

void AppTileController::perform(AppTileMenu::Action action, const QString &folderID)
{
    perform(action, UuidText::parse(folderID).value_or(QUuid()));
}

void AppTileController::perform(AppTileMenu::Action action, const QUuid &folderID)
{
    if (!viewModel() || m_app.id().isEmpty()) {
        return;
    }
    BrimlarkViewModel &vm = *viewModel();
    const auto folder = [&vm, &folderID]() -> std::optional<AppFolder> { return vm.folder(folderID); };
    using Action = AppTileMenu::Action;
    switch (action) {
    case Action::none:
        break;
    case Action::launch:
        vm.launchApp(m_app);
        break;
    case Action::toggleFavorite:
        if (catalog()) {
            catalog()->toggleFavorite(m_app);
        }
        break;
    case Action::hideGlobally:
        vm.hideAppGlobally(m_app);
        break;
    case Action::unhideGlobally:
        if (catalog()) {
            catalog()->unhideApp(m_app);
        }
        break;
    case Action::removeFromFolder:
        if (const auto f = folder(); f && catalog()) {
            catalog()->removeAppFromFolder(m_app, *f);
        }
        break;
    case Action::addToFolder:
        if (const auto f = folder(); f && catalog()) {
            catalog()->addAppToFolder(m_app, *f);
        }
        break;
    case Action::uninstall:
        vm.setAppToUninstall(m_app);
        break;
    }
}

void AppTileController::beginDrag()
{
    if (viewModel() && !m_app.id().isEmpty()) {
        viewModel()->setDraggedApp(m_app);
    }
}

void AppTileController::endDrag()
{
    // A finished drag is no longer the one the folder tiles follow, so a
    // later drag from elsewhere cannot move this application.
    if (viewModel() && viewModel()->draggedApp() && *viewModel()->draggedApp() == m_app) {
        viewModel()->setDraggedApp(std::nullopt);
    }
}

} // namespace brimlark
