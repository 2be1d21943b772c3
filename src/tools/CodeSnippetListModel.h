#pragma once

#include "model/StickyNote.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// The snippets the popover lists. A new list reaches the view as row
// insertions, removals and changes, never as a reset, so the list keeps its
// scroll position and its delegates across every edit and search.
class CodeSnippetListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the code snippets controller")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role { IdRole = Qt::UserRole + 1, TitleRole, CodeRole, LanguageRole };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_snippets.size()); }
    const QList<CodeSnippet> &snippets() const { return m_snippets; }
    // Moves to the new list row by row: rows whose snippet went are removed,
    // new ones inserted where they stand, edited ones changed in place.
    void setSnippets(const QList<CodeSnippet> &snippets);

signals:
    void countChanged();

private:
    QList<CodeSnippet> m_snippets;
};

} // namespace brimlark
