#include "tools/CodeSnippetListModel.h"

namespace brimlark {

int CodeSnippetListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant CodeSnippetListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const CodeSnippet &snippet = m_snippets.at(index.row());
    switch (role) {
    case IdRole:
        return snippet.idText();
    case TitleRole:
    case Qt::DisplayRole:
        return snippet.title;
    case CodeRole:
        return snippet.code;
    case LanguageRole:
        return snippet.language;
    default:
        return {};
    }
}

QHash<int, QByteArray> CodeSnippetListModel::roleNames() const
{
    return { { IdRole, "snippetID" }, { TitleRole, "title" }, { CodeRole, "code" },
        { LanguageRole, "language" } };
}

void CodeSnippetListModel::setSnippets(const QList<CodeSnippet> &snippets)
{
    const int before = count();
    // Both lists keep the stored order, so walking them side by side finds
    // every kept row; a snippet that moved is removed and inserted again.
    qsizetype row = 0;
    for (const CodeSnippet &wanted : snippets) {
        qsizetype found = -1;
        for (qsizetype i = row; i < m_snippets.size(); ++i) {
            if (m_snippets[i].id == wanted.id) {
                found = i;
                break;
            }
        }
        if (found < 0) {
            beginInsertRows(QModelIndex(), int(row), int(row));
            m_snippets.insert(row, wanted);
            endInsertRows();
        } else {
            if (found > row) {
                beginRemoveRows(QModelIndex(), int(row), int(found - 1));
                m_snippets.remove(row, found - row);
                endRemoveRows();
            }
            if (!(m_snippets[row] == wanted)) {
                m_snippets[row] = wanted;
                const QModelIndex changed = index(int(row));
                emit dataChanged(changed, changed);
            }
        }
        ++row;
    }
    if (row < m_snippets.size()) {
        beginRemoveRows(QModelIndex(), int(row), int(m_snippets.size() - 1));
        m_snippets.remove(row, m_snippets.size() - row);
        endRemoveRows();
    }
    if (count() != before) {
        emit countChanged();
    }
}

} // namespace brimlark
