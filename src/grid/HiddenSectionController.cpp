#include "grid/HiddenSectionController.h"

#include "state/ViewModelBinding.h"

namespace brimlark {

HiddenSectionController::HiddenSectionController(QObject *parent)
    : ViewModelClient(parent)
{
}

void HiddenSectionController::viewModelBound()
{
    if (viewModel()) {
        connect(viewModel(), &BrimlarkViewModel::changed, this, &HiddenSectionController::refresh);
    }
    refresh();
}

void HiddenSectionController::refresh()
{
    QList<UnifiedGridCardModel::Card> cards;
    for (const auto &folder : hiddenFolders()) {
        UnifiedGridCardModel::Card card;
        card.item = GridItemIdentifier::folder(folder.id);
        card.present = true;
        card.title = folder.name;
        card.folder = folder;
        card.apps = viewModel()->getAppsInFolder(folder);
        cards << card;
    }
    m_folderCards.setCards(cards);
    emit contentChanged();
}

QList<AppFolder> HiddenSectionController::hiddenFolders(
    const QList<AppFolder> &folders, const QSet<QUuid> &hiddenIDs)
{
    QList<AppFolder> out;
    for (const auto &folder : folders) {
        if (hiddenIDs.contains(folder.id)) {
            out << folder;
        }
    }
    return out;
}

void HiddenSectionController::setHiddenItemsLock(HiddenItemsLock *lock)
{
    if (rebindHandedObject(*this, m_lock, lock)) {
        emit hiddenItemsLockChanged();
    }
}

QList<AppFolder> HiddenSectionController::hiddenFolders() const
{
    return viewModel() ? hiddenFolders(viewModel()->folders(), viewModel()->hiddenFolderIDs())
                       : QList<AppFolder>();
}

bool HiddenSectionController::showsHiddenApps() const
{
    return viewModel() && !viewModel()->filteredApps().isEmpty();
}

bool HiddenSectionController::showsEmptyState() const
{
    return !showsHiddenApps() && hiddenFolders().isEmpty();
}

void HiddenSectionController::disablePasswordLock()
{
    if (m_lock) {
        m_lock->disableSecurityWithTouchID([](bool, std::optional<QString>) {});
    }
}

void HiddenSectionController::lock()
{
    if (m_lock) {
        m_lock->lock();
    }
}

} // namespace brimlark
