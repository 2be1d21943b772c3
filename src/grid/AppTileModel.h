#pragma once

#include "model/AppItem.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The applications a tile grid shows, one row per application. A new list
// is applied as removals, insertions and moves of the rows that changed, so
// the tiles that stay keep their delegates; only a change that would take
// many separate steps (or reset()) rebuilds the whole list.
class AppTileModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The grid controller owns the tiles")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        AppRole = Qt::UserRole + 1,
        NameRole,
        PathRole,
        UrlTextRole,
        UrlRole,
        CategoryRole,
        IconSourceRole,
    };
    Q_ENUM(Role)

    explicit AppTileModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_apps.size()); }
    const QList<AppItem> &apps() const { return m_apps; }

    // Brings the rows to the new list step by step (see the class comment).
    void setApps(const QList<AppItem> &apps);
    // Replaces every row at once.
    void reset(const QList<AppItem> &apps);
    // Row i becomes apps[i]: the rows both lists have change their data in
    // place and only the tail is inserted or removed, so a view keeps its
    // delegates and rebinds them instead of making new ones. Meant for a
    // list that has little to do with the one before (a new search).
    void rewrite(const QList<AppItem> &apps);

    // The application of a row; an empty one (no id) out of range.
    Q_INVOKABLE brimlark::AppItem appAt(int row) const;
    Q_INVOKABLE int indexOfPath(const QString &path) const;

    // One structural step of an update, on the rows as they stand after the
    // steps before it.
    struct Step
    {
        enum class Type { remove, insert, move };
        Type type;
        int first;
        int last;
        // insert: the first row of the new list the inserted rows come from;
        // move: the row's index once moved.
        int to;
        bool operator==(const Step &other) const = default;
    };
    // The steps that turn the old list into the new one (by application
    // identity); nothing when either list holds an application twice.
    static std::optional<QList<Step>> plan(const QList<AppItem> &from, const QList<AppItem> &to);
    // More steps than this rebuild the list instead.
    static int stepLimit(int rows);

signals:
    void countChanged();

private:
    QList<AppItem> m_apps;
};

} // namespace brimlark
