#pragma once

#include "sidebar/SidebarFolderTree.h"
#include "state/BrimlarkViewModel.h"

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
    // The view model whose catalog the rows show (none without one).
    Q_PROPERTY(
        brimlark::BrimlarkViewModel *viewModel READ viewModel WRITE setViewModel NOTIFY appFinderChanged)
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

    BrimlarkViewModel *viewModel() const { return m_viewModel; }
    void setViewModel(BrimlarkViewModel *viewModel);

    int rootCount() const { return m_rootCount; }
    const QList<SidebarFolderTree::Row> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Re-reads the catalog.
    void refresh();

signals:
    void appFinderChanged();
    void rowsChanged();

private:
    QPointer<BrimlarkViewModel> m_viewModel;
    QList<SidebarFolderTree::Row> m_rows;
    int m_rootCount = 0;
};

} // namespace brimlark
