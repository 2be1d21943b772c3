#include "grid/GridDropController.h"

#include "grid/GridDropRules.h"
#include "state/BrimlarkViewModel.h"

namespace brimlark {

namespace {

std::optional<AppFolder> selectedFolder(const BrimlarkViewModel &vm)
{
    const auto &selection = vm.selection();
    if (!selection || !selection->is(SidebarSelection::Kind::folder)) {
        return std::nullopt;
    }
    return selection->folder();
}

} // namespace

GridDropController::GridDropController(QObject *parent)
    : CatalogClient(parent)
{
}

GridDropController::~GridDropController()
{
    cancelHoverTask();
}

void GridDropController::viewModelBound()
{
    // The pending hover move went to the old view model's scheduler.
    cancelHoverTask();
    if (viewModel()) {
        // The drag is over (dropped anywhere or cancelled): nothing it
        // planned may run afterwards, and no tile stays enlarged.
        connect(viewModel(), &BrimlarkViewModel::draggedAppChanged, this, [this] {
            if (viewModel() && !viewModel()->draggedApp()) {
                endDragOver();
            }
        });
    }
}

void GridDropController::setFolderFlag(bool flag)
{
    if (m_folderFlag == flag) {
        return;
    }
    m_folderFlag = flag;
    emit folderFlagChanged();
}

void GridDropController::setDraggedAppTarget(const QString &path)
{
    if (m_draggedAppTarget == path) {
        return;
    }
    m_draggedAppTarget = path;
    emit draggedAppTargetChanged();
}

void GridDropController::setFolderValue(const AppFolder &folder)
{
    m_folder = folder.isNull() ? std::nullopt : std::optional(folder);
    emit folderChanged();
}

std::optional<AppFolder> GridDropController::tilesFolder() const
{
    return m_folder ? m_folder : selectedFolder(*viewModel());
}

std::optional<AppItem> GridDropController::tileApp(const QString &path) const
{
    return GridDropRules::installedApp(viewModel()->apps(), path);
}

bool GridDropController::dropOnTile(const QList<QUrl> &urls, const QString &targetPath)
{
    // A drop ends the drag here: no exit follows it, so the move planned on
    // entering the tile would otherwise still run and undo the drop.
    endDragOver();
    if (!viewModel() || !m_folderFlag || urls.isEmpty()) {
        return false;
    }
    const auto selected = tilesFolder();
    if (!selected) {
        return false;
    }
    // The selection's copy may be stale; the catalog holds the order.
    const auto folder = viewModel()->folder(selected->id);
    if (!folder) {
        return false;
    }
    const auto sourcePath = GridDropRules::bundlePath(urls.first());
    if (!sourcePath || !tileApp(*sourcePath)) {
        return false;
    }
    const auto move = GridDropRules::moveOnto(*folder, *sourcePath, targetPath);
    if (!move) {
        return false;
    }
    if (!catalog()) {
        return false;
    }
    catalog()->reorderAppsInFolder(*folder, { move->from }, move->destination);
    return true;
}

void GridDropController::endDragOver()
{
    cancelHoverTask();
    setDraggedAppTarget(QString());
}

void GridDropController::cancelHoverTask()
{
    // The task went to its view model's scheduler; with that view model
    // gone the task finds no view model and does nothing.
    if (m_hoverTask && m_hoverTask->first) {
        m_hoverTask->first->scheduler().cancel(m_hoverTask->second);
    }
    m_hoverTask.reset();
}

void GridDropController::tileTargeted(bool targeted, const QString &targetPath, const QList<QUrl> &dragUrls)
{
    if (!targeted || !m_folderFlag) {
        cancelHoverTask();
        if (m_draggedAppTarget == targetPath) {
            setDraggedAppTarget(QString());
        }
        return;
    }
    setDraggedAppTarget(targetPath);
    cancelHoverTask();
    if (!viewModel()) {
        return;
    }
    const auto &dragged = viewModel()->draggedApp();
    if (!dragged || dragged->id() == targetPath) {
        return;
    }
    // The application recorded as dragged moves only when this drag is that
    // application's own: a drag from elsewhere leaves the folder alone.
    const auto dragPath = dragUrls.isEmpty() ? std::nullopt : GridDropRules::bundlePath(dragUrls.first());
    if (!dragPath || *dragPath != dragged->id()) {
        return;
    }
    const auto folder = tilesFolder();
    const auto target = tileApp(targetPath);
    if (!folder || !target) {
        return;
    }
    QPointer<GridDropController> self(this);
    const AppItem app = *dragged;
    const AppItem onto = *target;
    const AppFolder inFolder = *folder;
    const QPointer<BrimlarkViewModel> owner = viewModel();
    const Scheduler::TaskId id = owner->scheduler().schedule(hoverDelay, [self, app, onto, inFolder] {
        if (!self) {
            return;
        }
        self->m_hoverTask.reset();
        if (self->viewModel()) {
            self->viewModel()->moveFolderApp(app, onto, inFolder);
        }
    });
    m_hoverTask = std::pair { owner, id };
}

bool GridDropController::dropOnEmptyFolder(
    const AppFolder &folder, const QString &text, const QList<QUrl> &urls)
{
    if (!viewModel() || !catalog() || folder.isNull()) {
        return false;
    }
    const auto app = GridDropRules::appForFolderDrop(viewModel()->apps(), text, urls);
    if (!app) {
        return false;
    }
    catalog()->addAppToFolder(*app, folder);
    return true;
}

} // namespace brimlark
