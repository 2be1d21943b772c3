#pragma once

#include "grid/UnifiedGridController.h"
#include "model/AppFinder.h"
#include "model/AppFolder.h"
#include "state/BrimlarkViewModel.h"
#include "state/ViewModelClient.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// What the unlocked hidden section lists: the folders hidden globally (in
// the catalog's folder order, never narrowed by the search) and whether
// nothing at all is hidden. The hidden applications are the view model's
// filtered applications.
class HiddenSectionController : public ViewModelClient
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(brimlark::HiddenItemsLock *hiddenItemsLock READ hiddenItemsLock WRITE setHiddenItemsLock NOTIFY
            hiddenItemsLockChanged)
    Q_PROPERTY(bool showsHiddenApps READ showsHiddenApps NOTIFY contentChanged)
    Q_PROPERTY(bool hasHiddenFolders READ hasHiddenFolders NOTIFY contentChanged)
    // The hidden folders' cards; rows change only where a folder did, so the
    // cards are not made again on every change of the catalog.
    Q_PROPERTY(brimlark::UnifiedGridCardModel *folderCards READ folderCards CONSTANT)
    Q_PROPERTY(bool showsEmptyState READ showsEmptyState NOTIFY contentChanged)

public:
    explicit HiddenSectionController(QObject *parent = nullptr);

    HiddenItemsLock *hiddenItemsLock() const { return m_lock; }
    void setHiddenItemsLock(HiddenItemsLock *lock);

    // A hidden id naming no folder of the active workspace is left out.
    static QList<AppFolder> hiddenFolders(const QList<AppFolder> &folders, const QSet<QUuid> &hiddenIDs);
    QList<AppFolder> hiddenFolders() const;
    bool showsHiddenApps() const;
    bool showsEmptyState() const;
    bool hasHiddenFolders() const { return m_folderCards.rowCount() > 0; }
    UnifiedGridCardModel *folderCards() { return &m_folderCards; }

    // "Disable Password Lock" and "Lock".
    Q_INVOKABLE void disablePasswordLock();
    Q_INVOKABLE void lock();

signals:
    void hiddenItemsLockChanged();
    void contentChanged();

protected:
    void viewModelBound() override;

private:
    void refresh();

    QPointer<HiddenItemsLock> m_lock;
    UnifiedGridCardModel m_folderCards;
};

} // namespace brimlark
