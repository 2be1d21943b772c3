#include "grid/AppGridController.h"

#include "state/ViewModelBinding.h"

#include <QSet>

#include "platform/core/UuidText.h"
#include "state/BrimlarkViewModel.h"

#include <QFile>
#include <QMetaEnum>

namespace brimlark {

AppGridController::AppGridController(QObject *parent)
    : ViewModelClient(parent)
{
}

void AppGridController::viewModelBound()
{
    if (viewModel()) {
        // The view model passes every catalog change on as changed().
        connect(viewModel(), &BrimlarkViewModel::changed, this, &AppGridController::refresh);
        connect(viewModel(), &BrimlarkViewModel::filteredAppsChanged, this, &AppGridController::syncTiles);
        // A search that leaves the list as it was is caught up with too, so
        // a later change under it (a publish) is not taken for typing.
        connect(viewModel(), &BrimlarkViewModel::refiltered, this,
            [this] { m_tilesQuery = viewModel()->searchQuery(); });
        connect(viewModel(), &BrimlarkViewModel::foldersChanged, this, &AppGridController::overlayChanged);
        connect(viewModel(), &BrimlarkViewModel::groupedAppsByCategoryChanged, this,
            &AppGridController::overlayChanged);
        connect(viewModel(), &BrimlarkViewModel::showingAppPickerChanged, this,
            &AppGridController::sheetsChanged);
        connect(
            viewModel(), &BrimlarkViewModel::folderForPickerChanged, this, &AppGridController::sheetsChanged);
        connect(
            viewModel(), &BrimlarkViewModel::appToUninstallChanged, this, &AppGridController::sheetsChanged);
    }
    refresh();
    syncTiles();
    emit overlayChanged();
    emit sheetsChanged();
}

void AppGridController::setHiddenItemsLock(HiddenItemsLock *lock)
{
    // The view model passes the lock's changes on as changed(), which refreshes.
    if (rebindHandedObject(*this, m_lock, lock)) {
        emit hiddenItemsLockChanged();
        refresh();
    }
}

void AppGridController::setLightAppearance(bool light)
{
    if (m_lightAppearance == light) {
        return;
    }
    m_lightAppearance = light;
    emit lightAppearanceChanged();
    refresh();
}

GridPane::Inputs AppGridController::inputs() const
{
    GridPane::Inputs in;
    if (!viewModel()) {
        return in;
    }
    in.selection = viewModel()->selection();
    in.searchQuery = viewModel()->searchQuery();
    in.filteredAppsEmpty = viewModel()->filteredApps().isEmpty();
    in.isScanning = viewModel()->isScanning();
    in.catalogEmpty = viewModel()->apps().isEmpty();
    in.isSecurityPasswordSet = m_lock && m_lock->isSecurityPasswordSet();
    in.isHiddenUnlocked = m_lock && m_lock->isUnlocked();
    in.sortOption = viewModel()->allAppsSortOption();
    return in;
}

void AppGridController::refresh()
{
    const GridPane::Inputs in = inputs();
    const auto state = GridPane::state(in);
    const auto layout = GridPane::layout(in);
    const bool translucent = GridPane::usesTranslucentBackground(m_lightAppearance, in.selection);
    const QString title = GridPane::navigationTitle(in.selection);
    const QString key = GridPane::identityKey(in.selection, in.sortOption);
    const bool folder = in.selection && in.selection->is(SidebarSelection::Kind::folder);
    if (state == m_state && layout == m_layout && translucent == m_translucent && title == m_title
        && key == m_identityKey && folder == m_folderSelected) {
        return;
    }
    m_state = state;
    m_layout = layout;
    m_translucent = translucent;
    m_title = title;
    m_identityKey = key;
    m_folderSelected = folder;
    emit paneChanged();
}

void AppGridController::syncTiles()
{
    if (!viewModel()) {
        m_tilesQuery.clear();
        m_apps.setApps({});
        return;
    }
    const QString &query = viewModel()->searchQuery();
    const bool typed = query != m_tilesQuery;
    m_tilesQuery = query;
    // A keystroke's result is rewritten row by row: the tiles on screen take
    // their new applications instead of being made anew, which is what a
    // keystroke's frame could not afford. Every other change goes step by
    // step by identity (a change too large for that rebuilds the rows by
    // itself), so moved tiles keep their delegates; so does a drag, whose
    // source tile must keep its application.
    const QList<AppItem> &apps = viewModel()->filteredApps();
    if (apps.size() < m_apps.count()) {
        emit appsAboutToChange(int(apps.size()));
    }
    if (typed && !viewModel()->draggedApp()) {
        m_apps.rewrite(apps);
    } else {
        m_apps.setApps(apps);
    }
}

bool AppGridController::folderSelected() const
{
    return m_folderSelected;
}

AppFolder AppGridController::selectedFolder() const
{
    if (!viewModel() || !viewModel()->selection()
        || !viewModel()->selection()->is(SidebarSelection::Kind::folder)) {
        return {};
    }
    return viewModel()->selection()->folder();
}

void AppGridController::updateColumns(double paneWidth)
{
    const GridColumns columns = GridColumns::forWidth(paneWidth);
    if (columns == m_columns) {
        return;
    }
    m_columns = columns;
    emit columnsChanged();
}

QString AppGridController::expandedFolderID() const
{
    return m_expandedFolderID ? UuidText::format(*m_expandedFolderID) : QString();
}

void AppGridController::setExpandedFolderID(const QString &id)
{
    setExpandedFolder(id.isEmpty() ? std::nullopt : UuidText::parse(id));
}

QVariant AppGridController::expandedCategoryName() const
{
    return m_expandedCategoryName ? QVariant(*m_expandedCategoryName) : QVariant();
}

void AppGridController::setExpandedCategoryName(const QVariant &name)
{
    setExpandedCategory(
        name.isValid() && !name.isNull() ? std::optional<QString>(name.toString()) : std::nullopt);
}

void AppGridController::setExpandedFolder(const std::optional<QUuid> &id)
{
    if (m_expandedFolderID == id) {
        return;
    }
    m_expandedFolderID = id;
    emit expansionChanged();
    emit overlayChanged();
}

void AppGridController::setExpandedCategory(const std::optional<QString> &name)
{
    if (m_expandedCategoryName == name) {
        return;
    }
    m_expandedCategoryName = name;
    emit expansionChanged();
    emit overlayChanged();
}

AppGridController::Overlay AppGridController::overlay() const
{
    Overlay out;
    if (!viewModel()) {
        return out;
    }
    if (m_expandedFolderID) {
        if (const auto folder = viewModel()->folder(*m_expandedFolderID)) {
            out.kind = Overlay::Kind::folder;
            out.title = folder->name;
            out.apps = viewModel()->getAppsInFolder(*folder);
            // Hidden applications show in the hidden section only.
            const QSet<QString> &hidden = viewModel()->hiddenAppPaths();
            out.apps.removeIf([&hidden](const AppItem &app) { return hidden.contains(app.id()); });
            out.folder = *folder;
            return out;
        }
    }
    if (m_expandedCategoryName) {
        const auto &grouped = viewModel()->groupedAppsByCategory();
        const auto it = grouped.constFind(*m_expandedCategoryName);
        if (it != grouped.cend()) {
            out.kind = Overlay::Kind::category;
            out.title = *m_expandedCategoryName;
            out.apps = it.value();
        }
    }
    return out;
}

QString AppGridController::overlayTitle() const
{
    return overlay().title;
}

void AppGridController::dismissFolderPanel()
{
    setExpandedFolder(std::nullopt);
}

void AppGridController::dismissCategoryPanel()
{
    setExpandedCategory(std::nullopt);
}

bool AppGridController::appPickerShown() const
{
    return viewModel() && viewModel()->showingAppPicker();
}

AppFolder AppGridController::appPickerFolder() const
{
    if (!viewModel()) {
        return {};
    }
    return viewModel()->folderForPicker().value_or(AppFolder());
}

AppItem AppGridController::appToUninstall() const
{
    return viewModel() ? viewModel()->appToUninstall().value_or(AppItem()) : AppItem();
}

void AppGridController::openAppPicker(const AppFolder &folder)
{
    if (!viewModel() || folder.isNull()) {
        return;
    }
    viewModel()->setFolderForPicker(folder);
    viewModel()->setShowingAppPicker(true);
}

void AppGridController::dismissAppPicker()
{
    if (viewModel()) {
        viewModel()->setShowingAppPicker(false);
    }
}

void AppGridController::dismissUninstaller()
{
    if (viewModel()) {
        viewModel()->setAppToUninstall(std::nullopt);
    }
}

} // namespace brimlark
