#pragma once

#include "model/AppFinder.h"
#include "sidebar/SidebarFolderTree.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// The "Folders" section's rows for QML. A change of folder fields alone
// (a colour dragged on the wheel, a new icon, a rename) updates the rows in
// place, so delegates, open popovers and drags survive; only a change of
// which rows stand where resets the list.
class SidebarFolderModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    // The catalog whose folders the rows show (none without one).
    Q_PROPERTY(brimlark::AppFinder *catalog READ catalog WRITE setCatalog NOTIFY catalogChanged)
    Q_PROPERTY(int rootCount READ rootCount NOTIFY rowsChanged)

public:
    enum Role {
        FolderRole = Qt::UserRole + 1,
        FolderIdRole,
        NameRole,
        IconRole,
        ColorRole,
        IsPinnedRole,
        DepthRole,
        IndentRole,
        RootIndexRole,
    };

    explicit SidebarFolderModel(QObject *parent = nullptr);

    AppFinder *catalog() const { return m_catalog; }
    void setCatalog(AppFinder *catalog);

    int rootCount() const { return m_rootCount; }
    const QList<SidebarFolderTree::Row> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Re-reads the catalog.
    void refresh();

signals:
    void catalogChanged();
    void rowsChanged();

private:
    QPointer<AppFinder> m_catalog;
    QList<SidebarFolderTree::Row> m_rows;
    int m_rootCount = 0;
};

} // namespace brimlark
