#include "grid/CategoryCardController.h"
#include "views/EnabledStateAccessibility.h"

#include "grid/GridDropRules.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/UuidText.h"
#include "platform/gui/AppIconImageProvider.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace brimlark {

CategoryCardController::CategoryCardController(QObject *parent)
    : CatalogClient(parent)
{
    if (const auto *hints = QGuiApplication::styleHints()) {
        m_doubleClickInterval = hints->mouseDoubleClickInterval();
    }
}

CategoryCardController::~CategoryCardController()
{
    cancelPendingExpand();
}

void CategoryCardController::viewModelBound()
{
    if (viewModel()) {
        // A folder renamed elsewhere, or in place, renames its card.
        connect(viewModel(), &BrimlarkViewModel::foldersChanged, this, [this] {
            if (m_folder) {
                emit cardChanged();
            }
        });
    }
    emit cardChanged();
}

void CategoryCardController::setCategoryName(const QString &name)
{
    if (m_categoryName != name) {
        m_categoryName = name;
        emit cardChanged();
    }
}

void CategoryCardController::setFolder(const std::optional<AppFolder> &folder)
{
    m_folder = folder;
    emit cardChanged();
}

void CategoryCardController::setFolderValue(const AppFolder &folder)
{
    setFolder(folder.isNull() ? std::nullopt : std::optional(folder));
}

void CategoryCardController::setApps(const QList<AppItem> &apps)
{
    m_apps = apps;
    emit cardChanged();
}

std::optional<AppFolder> CategoryCardController::currentFolder() const
{
    if (!m_folder) {
        return std::nullopt;
    }
    // The card's copy is as old as the grid's last rebuild; the catalog
    // holds what the folder is called now.
    if (catalog()) {
        if (auto current = catalog()->folder(m_folder->id)) {
            return current;
        }
    }
    return m_folder;
}

QString CategoryCardController::title() const
{
    const auto folder = currentFolder();
    return folder ? folder->name : m_categoryName;
}

QString CategoryCardController::helpText() const
{
    if (const auto folder = currentFolder()) {
        return QStringLiteral("Folder: ") + folder->name;
    }
    return QStringLiteral("Click to see all %1 apps in %2").arg(m_apps.size()).arg(m_categoryName);
}

void CategoryCardController::setEditedName(const QString &name)
{
    if (m_editedName != name) {
        m_editedName = name;
        emit editedNameChanged();
    }
}

void CategoryCardController::setEditing(bool editing)
{
    if (m_isEditingName != editing) {
        m_isEditingName = editing;
        emit isEditingNameChanged();
    }
}

void CategoryCardController::setDoubleClickInterval(int msecs)
{
    if (m_doubleClickInterval != msecs) {
        m_doubleClickInterval = msecs;
        emit doubleClickIntervalChanged();
    }
}

QUrl CategoryCardController::iconSource(const AppItem &app)
{
    return app.id().isEmpty() ? QUrl() : AppIconImageProvider::urlForPath(app.id(), app.iconStamp());
}

void CategoryCardController::cancelPendingExpand()
{
    if (m_pendingExpand && m_pendingExpand->first) {
        m_pendingExpand->first->scheduler().cancel(m_pendingExpand->second);
    }
    m_pendingExpand.reset();
}

void CategoryCardController::cardClicked()
{
    cancelPendingExpand();
    emit expandRequested();
}

void CategoryCardController::titleClicked(int tapCount)
{
    // Only a folder's title can be double clicked; a category's title is
    // like the rest of the card.
    if (!m_folder) {
        cardClicked();
        return;
    }
    if (tapCount >= 2) {
        cancelPendingExpand();
        renameStart();
        return;
    }
    cancelPendingExpand();
    if (!viewModel()) {
        emit expandRequested();
        return;
    }
    QPointer<CategoryCardController> self(this);
    m_pendingExpand = std::make_pair(viewModel(),
        viewModel()->scheduler().schedule(std::chrono::milliseconds(m_doubleClickInterval), [self] {
            if (self) {
                self->m_pendingExpand.reset();
                emit self->expandRequested();
            }
        }));
}

void CategoryCardController::renameStart()
{
    if (!m_folder) {
        return;
    }
    // The catalog holds the current name; the card's copy may be older.
    const std::optional<AppFolder> current = catalog() ? catalog()->folder(m_folder->id) : m_folder;
    setEditedName(current ? current->name : m_folder->name);
    setEditing(true);
}

void CategoryCardController::renameCommit()
{
    // The field stays in the card when hidden: a Return that reaches it
    // then renames nothing.
    if (!m_isEditingName) {
        return;
    }
    if (m_folder && catalog() && !m_editedName.isEmpty()) {
        catalog()->renameFolder(*m_folder, m_editedName);
    }
    setEditing(false);
    // The field has let the keyboard go; typing goes back to the search.
    if (viewModel() && viewModel()->notificationCenter()) {
        viewModel()->notificationCenter()->post(Notifications::SearchFocusRequested);
    }
}

void CategoryCardController::addApps()
{
    const auto folder = currentFolder();
    if (!folder || !viewModel()) {
        return;
    }
    viewModel()->setFolderForPicker(*folder);
    viewModel()->setShowingAppPicker(true);
}

bool CategoryCardController::dropUrls(const QList<QUrl> &urls, const QString &text)
{
    if (!m_folder || !viewModel()) {
        return false;
    }
    const auto app = GridDropRules::appForFolderDrop(viewModel()->apps(), text, urls);
    if (!app) {
        return false;
    }
    // The drop is answered first; the folder changes on the next turn.
    QPointer<AppFinder> finder(catalog());
    const AppItem dropped = *app;
    const AppFolder folder = *m_folder;
    viewModel()->scheduler().schedule(std::chrono::milliseconds(0), [finder, dropped, folder] {
        if (finder) {
            finder->addAppToFolder(dropped, folder);
        }
    });
    return true;
}

QList<MenuEntry> CategoryCardController::menu() const
{
    if (!viewModel()) {
        return {};
    }
    // Before the menu's rows are first described: an empty submenu's row
    // is disabled and must say so.
    installEnabledStateAccessibility();
    return CategoryCardMenu::entries(
        viewModel()->selection(), m_folder, viewModel()->folders(), viewModel()->hiddenFolderIDs());
}

void CategoryCardController::perform(CategoryCardMenu::Action action, const QString &folderID)
{
    perform(action, UuidText::parse(folderID).value_or(QUuid()));
}

void CategoryCardController::perform(CategoryCardMenu::Action action, const QUuid &folderID)
{
    if (!viewModel()) {
        return;
    }
    using Action = CategoryCardMenu::Action;
    switch (action) {
    case Action::none:
        break;
    case Action::renameFolder:
        renameStart();
        break;
    case Action::deleteFolder:
        if (m_folder) {
            viewModel()->deleteFolder(*m_folder);
        }
        break;
    case Action::hideFolderGlobally:
        if (m_folder) {
            viewModel()->hideFolderGlobally(*m_folder);
        }
        break;
    case Action::unhideFolderGlobally:
        if (m_folder && catalog()) {
            catalog()->unhideFolder(*m_folder);
        }
        break;
    case Action::addApps:
        addApps();
        break;
    case Action::createFolderFromCategory:
        createFolderFromCategory();
        break;
    case Action::addAllToFolder:
        addAllToFolder(folderID);
        break;
    }
}

QUuid CategoryCardController::createFolderFromCategory()
{
    if (!catalog() || m_folder) {
        return {};
    }
    const QUuid id
        = catalog()->createFolder(m_categoryName, QStringLiteral("folder"), QStringLiteral("#007AFF"));
    addAllToFolder(id);
    return id;
}

void CategoryCardController::addAllToFolder(const QUuid &folderID)
{
    if (!catalog()) {
        return;
    }
    const auto folder = catalog()->folder(folderID);
    if (!folder) {
        return;
    }
    // The card's applications may change as the folder fills: keep them.
    const QList<AppItem> apps = m_apps;
    for (const auto &app : apps) {
        catalog()->addAppToFolder(app, *folder);
    }
}

} // namespace brimlark
