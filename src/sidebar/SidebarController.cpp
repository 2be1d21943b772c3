#include "sidebar/SidebarController.h"

#include "state/ViewModelBinding.h"

#include "platform/core/BundleUrl.h"
#include "platform/core/UuidText.h"
#include "sidebar/SidebarFolderTree.h"
#include "state/BrimlarkViewModel.h"
#include "views/EnabledStateAccessibility.h"

#include <QMetaEnum>

#include <algorithm>

namespace brimlark {

namespace {

QString libraryKey(SidebarSelection::Kind kind)
{
    return QStringLiteral("library:") + QString::number(int(kind));
}

} // namespace

SidebarController::SidebarController(QObject *parent)
    : CatalogClient(parent)
{
    // Before the menus' rows are first described: the switcher's tick and
    // a disabled row must be told.
    installEnabledStateAccessibility();
}

template <typename T>
void SidebarController::assign(T &field, const T &value, void (SidebarController::*changed)())
{
    if (field == value) {
        return;
    }
    field = value;
    (this->*changed)();
}

void SidebarController::viewModelBound()
{
    if (viewModel()) {
        connect(
            viewModel(), &BrimlarkViewModel::selectionChanged, this, &SidebarController::selectedKeyChanged);
    }
    emit selectedKeyChanged();
}

void SidebarController::catalogBound()
{
    followCatalogFolders(catalog(), this, &SidebarController::closeVanishedPickers);
}

QString SidebarController::selectedKey() const
{
    if (!viewModel() || !viewModel()->selection()) {
        return {};
    }
    const SidebarSelection &s = *viewModel()->selection();
    if (s.is(SidebarSelection::Kind::folder)) {
        return QStringLiteral("folder:") + s.folder().idText();
    }
    return libraryKey(s.kind());
}

QVariantList SidebarController::libraryRows()
{
    struct Entry
    {
        SidebarSelection::Kind kind;
        const char16_t *symbol;
    };
    static const Entry entries[] = {
        { SidebarSelection::Kind::allApps, u"square.grid.2x2" },
        { SidebarSelection::Kind::newlyAdded, u"plus.circle.fill" },
        { SidebarSelection::Kind::recents, u"clock" },
        { SidebarSelection::Kind::favorites, u"star" },
        { SidebarSelection::Kind::hidden, u"eye.slash" },
    };
    QVariantList out;
    for (const auto &e : entries) {
        out << QVariantMap { { QStringLiteral("key"), libraryKey(e.kind) },
            { QStringLiteral("kind"), int(e.kind) },
            { QStringLiteral("title"), SidebarSelection(e.kind).title() },
            { QStringLiteral("symbol"), QString::fromUtf16(e.symbol) } };
    }
    return out;
}

void SidebarController::selectLibrary(int kind)
{
    const QMetaEnum meta = QMetaEnum::fromType<SidebarSelection::Kind>();
    if (!viewModel() || !meta.valueToKey(kind)) {
        return;
    }
    const auto k = SidebarSelection::Kind(kind);
    if (k == SidebarSelection::Kind::folder || k == SidebarSelection::Kind::category) {
        return;
    }
    viewModel()->setSelection(SidebarSelection(k));
}

void SidebarController::selectFolder(const AppFolder &folder)
{
    if (!folder.id.isNull() && viewModel()) {
        viewModel()->setSelection(SidebarSelection::ofFolder(folder));
    }
}

QList<MenuEntry> SidebarController::menuEntries(const AppFolder &folder)
{
    if (folder.id.isNull()) {
        return {};
    }
    MenuEntry deleteEntry = MenuEntry::of(FolderAction::deleteFolder, tr("Delete"));
    deleteEntry.destructive = true;
    return {
        MenuEntry::of(FolderAction::pin, folder.isPinned ? tr("Unpin Folder") : tr("Pin Folder")),
        MenuEntry::of(FolderAction::rename, tr("Rename")),
        MenuEntry::of(FolderAction::changeColor, tr("Change Color...")),
        MenuEntry::of(FolderAction::changeIcon, tr("Change Icon...")),
        MenuEntry::divider(),
        deleteEntry,
    };
}

void SidebarController::triggerMenu(FolderAction action, const AppFolder &folder)
{
    if (folder.id.isNull() || !catalog()) {
        return;
    }
    switch (action) {
    case FolderAction::pin:
        catalog()->togglePinFolder(folder);
        break;
    case FolderAction::rename:
        m_folderToRename = folder;
        emit folderToRenameChanged();
        assign(m_renameFolderName, folder.name, &SidebarController::renameFolderNameChanged);
        assign(m_selectedFolderColor, folder.color, &SidebarController::selectedFolderColorChanged);
        assign(m_showingRenameFolder, true, &SidebarController::showingRenameFolderChanged);
        break;
    case FolderAction::changeColor:
        setFolderForColorPopover(folder);
        break;
    case FolderAction::changeIcon:
        setFolderForIconPopover(folder);
        break;
    case FolderAction::deleteFolder:
        m_folderToDelete = folder;
        emit folderToDeleteChanged();
        assign(m_showingDeleteConfirmation, true, &SidebarController::showingDeleteConfirmationChanged);
        break;
    }
}

void SidebarController::moveRoot(int fromRoot, int toRoot, int rootCount)
{
    if (!catalog()) {
        return;
    }
    if (const auto move = SidebarFolderTree::rootMove(fromRoot, toRoot, rootCount)) {
        catalog()->reorderFolders(move->source, move->destination);
    }
}

bool SidebarController::handleDrop(const QString &text, const QList<QUrl> &urls, const AppFolder &folder)
{
    if (folder.id.isNull() || !catalog()) {
        return true;
    }
    std::optional<QString> path = BundleUrl::localPathOfText(text);
    if (!path && !urls.isEmpty()) {
        path = BundleUrl::localPath(urls.first());
    }
    if (!path) {
        return true;
    }
    for (const auto &app : catalog()->apps()) {
        if (app.id() == *path) {
            catalog()->addAppToFolder(app, folder);
            break;
        }
    }
    return true;
}

void SidebarController::confirmDelete()
{
    if (m_folderToDelete && viewModel()) {
        const AppFolder folder = *m_folderToDelete;
        viewModel()->deleteFolder(folder);
        m_folderToDelete.reset();
        emit folderToDeleteChanged();
    }
    assign(m_showingDeleteConfirmation, false, &SidebarController::showingDeleteConfirmationChanged);
}

QString SidebarController::deleteMessage() const
{
    if (!m_folderToDelete) {
        return {};
    }
    return tr("Are you sure you want to delete '") + m_folderToDelete->name
        + tr("'? This action cannot be undone.");
}

void SidebarController::newFolder()
{
    assign(m_showingAddFolder, true, &SidebarController::showingAddFolderChanged);
}

bool SidebarController::createFolder()
{
    if (m_newFolderName.isEmpty() || !catalog()) {
        return false;
    }
    catalog()->createFolder(m_newFolderName, m_selectedFolderIcon, m_selectedFolderColor);
    cancelCreateFolder();
    return true;
}

void SidebarController::cancelCreateFolder()
{
    assign(m_showingAddFolder, false, &SidebarController::showingAddFolderChanged);
    assign(m_newFolderName, QString(), &SidebarController::newFolderNameChanged);
    assign(m_selectedFolderIcon, defaultFolderIcon, &SidebarController::selectedFolderIconChanged);
    assign(m_selectedFolderColor, defaultColor, &SidebarController::selectedFolderColorChanged);
}

void SidebarController::renameSheetAppeared()
{
    if (!m_folderToRename) {
        return;
    }
    assign(m_renameFolderName, m_folderToRename->name, &SidebarController::renameFolderNameChanged);
    assign(m_selectedFolderColor, m_folderToRename->color, &SidebarController::selectedFolderColorChanged);
    assign(m_selectedFolderIcon, m_folderToRename->icon, &SidebarController::selectedFolderIconChanged);
}

bool SidebarController::saveRenameFolder()
{
    if (!m_folderToRename || m_renameFolderName.isEmpty() || !catalog()) {
        return false;
    }
    catalog()->updateFolder(
        m_folderToRename->id, m_renameFolderName, m_selectedFolderIcon, m_selectedFolderColor);
    cancelRenameFolder();
    return true;
}

void SidebarController::cancelRenameFolder()
{
    assign(m_showingRenameFolder, false, &SidebarController::showingRenameFolderChanged);
    assign(m_renameFolderName, QString(), &SidebarController::renameFolderNameChanged);
    if (m_folderToRename) {
        m_folderToRename.reset();
        emit folderToRenameChanged();
    }
}

void SidebarController::setFolderForIconPopover(const std::optional<AppFolder> &f)
{
    // Folders compare by id: a new copy of the same folder keeps it open.
    if (f.has_value() == m_folderForIconPopover.has_value() && (!f || f->id == m_folderForIconPopover->id)) {
        return;
    }
    m_folderForIconPopover = f;
    emit folderForIconPopoverChanged();
}

void SidebarController::setFolderForColorPopover(const std::optional<AppFolder> &f)
{
    if (f.has_value() == m_folderForColorPopover.has_value()
        && (!f || f->id == m_folderForColorPopover->id)) {
        return;
    }
    m_folderForColorPopover = f;
    emit folderForColorPopoverChanged();
}

void SidebarController::closeVanishedPickers()
{
    if (!catalog()) {
        return;
    }
    QSet<QUuid> shown;
    for (const auto &row : SidebarFolderTree::flatten(*catalog())) {
        shown.insert(row.folder.id);
    }
    if (m_folderForIconPopover && !shown.contains(m_folderForIconPopover->id)) {
        closeIconPopover();
    }
    if (m_folderForColorPopover && !shown.contains(m_folderForColorPopover->id)) {
        closeColorPopover();
    }
    // Checked against every folder of the workspace: hiding a folder keeps
    // its sheet, a switch to another workspace does not.
    const QList<AppFolder> &folders = catalog()->folders();
    auto listed = [&folders](const AppFolder &f) {
        return std::any_of(folders.begin(), folders.end(), [&f](const AppFolder &g) { return g.id == f.id; });
    };
    if (m_folderToRename && !listed(*m_folderToRename)) {
        cancelRenameFolder();
    }
    if (m_folderToDelete && !listed(*m_folderToDelete)) {
        m_folderToDelete.reset();
        emit folderToDeleteChanged();
        assign(m_showingDeleteConfirmation, false, &SidebarController::showingDeleteConfirmationChanged);
    }
}

// ---- workspace switcher and sheets

Workspace SidebarController::shownWorkspace(const QList<Workspace> &workspaces, const QUuid &activeID)
{
    for (const auto &w : workspaces) {
        if (w.id == activeID) {
            return w;
        }
    }
    if (!workspaces.isEmpty()) {
        return workspaces.first();
    }
    return Workspace { QUuid::createUuid(), QStringLiteral("Default"), defaultWorkspaceIcon, defaultColor };
}

void SidebarController::setWorkspaceManager(WorkspaceManager *manager)
{
    if (m_workspaceManager == manager) {
        return;
    }
    if (m_workspaceManager) {
        disconnect(m_workspaceManager, nullptr, this, nullptr);
    }
    m_workspaceManager = manager;
    if (m_workspaceManager) {
        connect(m_workspaceManager, &WorkspaceManager::workspacesChanged, this,
            &SidebarController::workspacesChanged);
        connect(m_workspaceManager, &WorkspaceManager::activeWorkspaceIDChanged, this,
            &SidebarController::workspacesChanged);
    }
    emit workspaceManagerChanged();
    emit workspacesChanged();
}

Workspace SidebarController::activeWorkspace() const
{
    if (!m_workspaceManager) {
        return shownWorkspace({}, {});
    }
    return shownWorkspace(m_workspaceManager->workspaces(), m_workspaceManager->activeWorkspaceID());
}

QList<Workspace> SidebarController::workspaceRows() const
{
    return m_workspaceManager ? m_workspaceManager->workspaces() : QList<Workspace> {};
}

QList<Workspace> SidebarController::manageEntries() const
{
    if (!m_workspaceManager || m_workspaceManager->workspaces().size() < 2) {
        return {};
    }
    return m_workspaceManager->workspaces();
}

bool SidebarController::isActive(const Workspace &workspace) const
{
    return m_workspaceManager && workspace.id == m_workspaceManager->activeWorkspaceID();
}

std::optional<Workspace> SidebarController::listedWorkspace(const QString &id) const
{
    const auto uuid = UuidText::parse(id);
    if (!m_workspaceManager || !uuid) {
        return std::nullopt;
    }
    for (const auto &w : m_workspaceManager->workspaces()) {
        if (w.id == *uuid) {
            return w;
        }
    }
    return std::nullopt;
}

void SidebarController::selectAllApps()
{
    if (viewModel()) {
        viewModel()->setSelection(SidebarSelection(SidebarSelection::Kind::allApps));
    }
}

void SidebarController::chooseWorkspace(const QString &id)
{
    // Choosing the active workspace again switches again: the stores reload.
    if (const auto w = listedWorkspace(id)) {
        m_workspaceManager->setActiveWorkspaceID(w->id);
        selectAllApps();
    }
}

void SidebarController::beginCreateWorkspace()
{
    assign(m_newWorkspaceName, QString(), &SidebarController::newWorkspaceNameChanged);
    assign(m_selectedWorkspaceIcon, defaultWorkspaceIcon, &SidebarController::selectedWorkspaceIconChanged);
    assign(m_selectedWorkspaceColor, defaultColor, &SidebarController::selectedWorkspaceColorChanged);
    assign(m_showingAddWorkspace, true, &SidebarController::showingAddWorkspaceChanged);
}

bool SidebarController::createWorkspace()
{
    if (m_newWorkspaceName.isEmpty() || !m_workspaceManager) {
        return false;
    }
    m_workspaceManager->createWorkspace(
        m_newWorkspaceName, m_selectedWorkspaceIcon, m_selectedWorkspaceColor);
    // The new workspace is active at once; a folder of the previous one must
    // not stay selected.
    selectAllApps();
    assign(m_showingAddWorkspace, false, &SidebarController::showingAddWorkspaceChanged);
    return true;
}

void SidebarController::cancelCreateWorkspace()
{
    assign(m_showingAddWorkspace, false, &SidebarController::showingAddWorkspaceChanged);
}

void SidebarController::beginEditWorkspace(const QString &id)
{
    const auto w = listedWorkspace(id);
    if (!w) {
        return;
    }
    m_workspaceToEdit = w;
    emit workspaceToEditChanged();
    assign(m_editWorkspaceName, w->name, &SidebarController::editWorkspaceNameChanged);
    assign(m_editWorkspaceIcon, w->icon, &SidebarController::editWorkspaceIconChanged);
    assign(m_editWorkspaceColor, w->color, &SidebarController::editWorkspaceColorChanged);
    assign(m_showingEditWorkspace, true, &SidebarController::showingEditWorkspaceChanged);
}

bool SidebarController::saveEditWorkspace()
{
    if (!m_workspaceToEdit || m_editWorkspaceName.isEmpty() || !m_workspaceManager) {
        return false;
    }
    m_workspaceManager->updateWorkspace(
        *m_workspaceToEdit, m_editWorkspaceName, m_editWorkspaceIcon, m_editWorkspaceColor);
    cancelEditWorkspace();
    return true;
}

void SidebarController::cancelEditWorkspace()
{
    assign(m_showingEditWorkspace, false, &SidebarController::showingEditWorkspaceChanged);
    if (m_workspaceToEdit) {
        m_workspaceToEdit.reset();
        emit workspaceToEditChanged();
    }
}

void SidebarController::deleteWorkspace(const QString &id)
{
    // The active workspace is never deleted from the switcher.
    const auto w = listedWorkspace(id);
    if (w && w->id != m_workspaceManager->activeWorkspaceID()) {
        m_workspaceManager->deleteWorkspace(*w);
    }
}

} // namespace brimlark
