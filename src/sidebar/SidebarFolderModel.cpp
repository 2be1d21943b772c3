#include "sidebar/SidebarFolderModel.h"

#include "state/ViewModelBinding.h"

namespace brimlark {

namespace {

bool sameShown(const SidebarFolderTree::Row &a, const SidebarFolderTree::Row &b)
{
    return a.folder.name == b.folder.name && a.folder.icon == b.folder.icon
        && a.folder.color == b.folder.color && a.folder.isPinned == b.folder.isPinned
        && a.folder.appURLs == b.folder.appURLs && a.folder.sortOrder == b.folder.sortOrder;
}

} // namespace

SidebarFolderModel::SidebarFolderModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void SidebarFolderModel::setCatalog(AppFinder *catalog)
{
    if (!rebindHandedObject(*this, m_catalog, catalog)) {
        return;
    }
    followCatalogFolders(m_catalog.data(), this, &SidebarFolderModel::refresh);
    refresh();
    emit catalogChanged();
}

void SidebarFolderModel::refresh()
{
    QList<SidebarFolderTree::Row> next
        = m_catalog ? SidebarFolderTree::flatten(*m_catalog) : QList<SidebarFolderTree::Row> {};
    bool sameLayout = next.size() == m_rows.size();
    for (qsizetype i = 0; sameLayout && i < next.size(); ++i) {
        sameLayout = next[i].folder.id == m_rows[i].folder.id && next[i].depth == m_rows[i].depth
            && next[i].rootIndex == m_rows[i].rootIndex;
    }
    if (!sameLayout) {
        beginResetModel();
        m_rows = std::move(next);
        endResetModel();
    } else {
        for (qsizetype i = 0; i < next.size(); ++i) {
            if (!sameShown(next[i], m_rows[i])) {
                m_rows[i] = next[i];
                emit dataChanged(index(int(i)), index(int(i)));
            }
        }
    }
    int roots = 0;
    for (const auto &row : m_rows) {
        roots += row.depth == 0 ? 1 : 0;
    }
    if (!sameLayout || roots != m_rootCount) {
        m_rootCount = roots;
        emit rowsChanged();
    }
}

int SidebarFolderModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SidebarFolderModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const auto &row = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return row.folder.name;
    case FolderRole:
        return QVariant::fromValue(row.folder);
    case FolderIdRole:
        return row.folder.idText();
    case IconRole:
        return row.folder.icon;
    case ColorRole:
        return row.folder.color;
    case IsPinnedRole:
        return row.folder.isPinned;
    case DepthRole:
        return row.depth;
    case IndentRole:
        return SidebarFolderTree::indent(row.depth);
    case RootIndexRole:
        return row.rootIndex;
    default:
        return {};
    }
}

QHash<int, QByteArray> SidebarFolderModel::roleNames() const
{
    return {
        { FolderRole, "folder" },
        { FolderIdRole, "folderId" },
        { NameRole, "name" },
        { IconRole, "icon" },
        { ColorRole, "folderColor" },
        { IsPinnedRole, "isPinned" },
        { DepthRole, "depth" },
        { IndentRole, "rowIndent" },
        { RootIndexRole, "rootIndex" },
    };
}

} // namespace brimlark
