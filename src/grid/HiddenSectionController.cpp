#include "grid/HiddenSectionController.h"

#include "state/ViewModelBinding.h"

namespace brimlark {

HiddenSectionController::HiddenSectionController(QObject *parent)
    : QObject(parent)
{
}

void HiddenSectionController::setViewModel(BrimlarkViewModel *viewModel)
{
    if (!rebindViewModel(*this, m_viewModel, viewModel)) {
        return;
    }
    if (m_viewModel) {
        connect(m_viewModel, &BrimlarkViewModel::changed, this, &HiddenSectionController::refresh);
    }
    emit viewModelChanged();
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
        card.apps = m_viewModel->getAppsInFolder(folder);
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
    return m_viewModel ? hiddenFolders(m_viewModel->folders(), m_viewModel->hiddenFolderIDs())
                       : QList<AppFolder>();
}

bool HiddenSectionController::showsHiddenApps() const
{
    return m_viewModel && !m_viewModel->filteredApps().isEmpty();
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
