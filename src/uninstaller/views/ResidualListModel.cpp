#include "uninstaller/views/ResidualListModel.h"

#include "uninstaller/ByteCountFormatter.h"
#include "uninstaller/views/AppUninstallerFlow.h"

#include <QQmlEngine>

#include <algorithm>

namespace brimlark {

namespace {

QList<AppResidualFile> grouped(QList<AppResidualFile> files)
{
    std::stable_sort(files.begin(), files.end(),
        [](const AppResidualFile &a, const AppResidualFile &b) { return a.category < b.category; });
    return files;
}

bool sameIds(const QList<AppResidualFile> &a, const QList<AppResidualFile> &b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend());
}

} // namespace

ResidualListModel::ResidualListModel(QObject *parent)
    : QAbstractListModel(parent)
{
    for (ResidualCategory category : ResidualCategories::allCases()) {
        auto *section = new ResidualSection(category, this);
        // Handed to QML by section(): the list keeps it.
        QQmlEngine::setObjectOwnership(section, QQmlEngine::CppOwnership);
        m_sections.append(section);
    }
}

void ResidualListModel::setFiles(const QList<AppResidualFile> &files, const QString &home)
{
    m_home = home;
    updateRows(grouped(files));
    updateSections();
}

void ResidualListModel::updateRows(QList<AppResidualFile> next)
{
    if (sameIds(m_rows, next)) {
        for (qsizetype i = 0; i < next.size(); ++i) {
            const bool changed = m_rows[i].isSelected != next[i].isSelected
                || m_rows[i].sizeBytes != next[i].sizeBytes || m_rows[i].path != next[i].path;
            m_rows[i] = next[i];
            if (changed) {
                emit dataChanged(index(int(i)), index(int(i)));
            }
        }
        return;
    }
    // Removals leave the survivors in order: take the gone rows out one by one.
    const bool onlyRemovals = std::all_of(
        next.cbegin(), next.cend(), [this](const AppResidualFile &f) { return m_rows.contains(f); });
    if (onlyRemovals) {
        for (qsizetype i = m_rows.size() - 1; i >= 0; --i) {
            if (!next.contains(m_rows[i])) {
                beginRemoveRows({}, int(i), int(i));
                m_rows.removeAt(i);
                endRemoveRows();
            }
        }
        if (sameIds(m_rows, next)) {
            updateRows(std::move(next));
            return;
        }
    }
    beginResetModel();
    m_rows = std::move(next);
    endResetModel();
}

void ResidualListModel::updateSections()
{
    QList<ResidualSection::Summary> summaries(m_sections.size(), { 0, 0, true });
    for (const AppResidualFile &f : std::as_const(m_rows)) {
        ResidualSection::Summary &s = summaries[qsizetype(f.category)];
        ++s.count;
        s.totalBytes += f.sizeBytes;
        s.allSelected = s.allSelected && f.isSelected;
    }
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        // An empty category has nothing to select.
        summaries[i].allSelected = summaries[i].allSelected && summaries[i].count > 0;
        m_sections[i]->setSummary(summaries[i]);
    }
}

ResidualSection *ResidualListModel::section(const QString &categoryId) const
{
    const std::optional<ResidualCategory> category = ResidualCategories::fromId(categoryId);
    return category ? m_sections[qsizetype(*category)] : nullptr;
}

int ResidualListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ResidualListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const AppResidualFile &f = m_rows[index.row()];
    switch (role) {
    case FileIdRole:
        return f.id.toString(QUuid::WithoutBraces);
    case Qt::DisplayRole:
    case DisplayNameRole:
        return f.displayName;
    case PathRole:
        return AppUninstallerFlow::displayPath(f.path, m_home);
    case SizeTextRole:
        return formatFileByteCount(f.sizeBytes);
    case IconRole:
        return AppUninstallerFlow::iconForFile(f.path, f.isDirectory);
    case IsSelectedRole:
        return f.isSelected;
    case IsUserDeletableRole:
        return f.isUserDeletable;
    case CategoryIdRole:
        return ResidualCategories::id(f.category);
    default:
        return {};
    }
}

QHash<int, QByteArray> ResidualListModel::roleNames() const
{
    return {
        { FileIdRole, "fileId" },
        { DisplayNameRole, "displayName" },
        { PathRole, "path" },
        { SizeTextRole, "sizeText" },
        { IconRole, "icon" },
        { IsSelectedRole, "isSelected" },
        { IsUserDeletableRole, "isUserDeletable" },
        { CategoryIdRole, "categoryId" },
    };
}

} // namespace brimlark
