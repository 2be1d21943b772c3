#include "grid/AppTileModel.h"

#include "platform/gui/AppIconImageProvider.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace brimlark {

AppTileModel::AppTileModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int AppTileModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_apps.size());
}

QVariant AppTileModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const AppItem &app = m_apps.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return app.name();
    case AppRole:
        return QVariant::fromValue(app);
    case PathRole:
        return app.id();
    case UrlTextRole:
        return app.urlText();
    case UrlRole:
        return app.url();
    case CategoryRole:
        return app.category();
    case IconSourceRole:
        return AppIconImageProvider::urlForPath(app.id(), app.iconStamp());
    default:
        return {};
    }
}

QHash<int, QByteArray> AppTileModel::roleNames() const
{
    return {
        { AppRole, "app" },
        { NameRole, "name" },
        { PathRole, "path" },
        { UrlTextRole, "urlText" },
        { UrlRole, "url" },
        { CategoryRole, "category" },
        { IconSourceRole, "iconSource" },
    };
}

int AppTileModel::stepLimit(int rows)
{
    return std::max(32, rows / 4);
}

std::optional<QList<AppTileModel::Step>> AppTileModel::plan(
    const QList<AppItem> &from, const QList<AppItem> &to)
{
    QList<Step> steps;
    QHash<QString, int> target;
    target.reserve(to.size());
    for (int i = 0; i < to.size(); ++i) {
        target.insert(to[i].id(), i);
    }
    if (target.size() != to.size()) {
        return std::nullopt;
    }

    QStringList cur;
    cur.reserve(from.size());
    for (const auto &app : from) {
        cur << app.id();
    }
    if (QSet<QString>(cur.begin(), cur.end()).size() != cur.size()) {
        return std::nullopt;
    }

    // Rows that go, from the end so the indexes before them hold.
    for (int r = int(cur.size()) - 1; r >= 0; --r) {
        if (target.contains(cur[r])) {
            continue;
        }
        const int last = r;
        while (r > 0 && !target.contains(cur[r - 1])) {
            --r;
        }
        steps << Step { Step::Type::remove, r, last, 0 };
        cur.remove(r, last - r + 1);
    }

    QSet<QString> present(cur.begin(), cur.end());
    int i = 0;
    const int n = int(to.size());
    while (i < n) {
        const QString &id = to[i].id();
        if (i < cur.size() && cur[i] == id) {
            ++i;
            continue;
        }
        if (!present.contains(id)) {
            int k = 1;
            while (i + k < n && !present.contains(to[i + k].id())) {
                ++k;
            }
            steps << Step { Step::Type::insert, i, i + k - 1, i };
            for (int j = 0; j < k; ++j) {
                cur.insert(i + j, to[i + j].id());
                present.insert(to[i + j].id());
            }
            i += k;
            continue;
        }
        // The row here belongs further down and the wanted one is next: one
        // move of this row puts both right (an element dragged later).
        if (i + 1 < cur.size() && cur[i + 1] == id && target.value(cur[i]) > i) {
            const int dest = std::min(target.value(cur[i]), int(cur.size()) - 1);
            steps << Step { Step::Type::move, i, i, dest };
            cur.move(i, dest);
            continue;
        }
        const int j = int(cur.indexOf(id, i + 1));
        steps << Step { Step::Type::move, j, j, i };
        cur.move(j, i);
        ++i;
    }
    return steps;
}

void AppTileModel::setApps(const QList<AppItem> &apps)
{
    // Nothing to diff against (the grid's first fill): one insertion of every
    // row, without the plan's lookup tables.
    if (m_apps.isEmpty()) {
        if (!apps.isEmpty()) {
            beginInsertRows({}, 0, int(apps.size()) - 1);
            m_apps = apps;
            endInsertRows();
            emit countChanged();
        }
        return;
    }
    const auto steps = plan(m_apps, apps);
    if (!steps || steps->size() > stepLimit(int(std::max(m_apps.size(), apps.size())))) {
        reset(apps);
        return;
    }
    const int before = count();
    for (const Step &s : *steps) {
        switch (s.type) {
        case Step::Type::remove:
            beginRemoveRows({}, s.first, s.last);
            m_apps.remove(s.first, s.last - s.first + 1);
            endRemoveRows();
            break;
        case Step::Type::insert:
            beginInsertRows({}, s.first, s.last);
            for (int k = 0; k <= s.last - s.first; ++k) {
                m_apps.insert(s.first + k, apps[s.to + k]);
            }
            endInsertRows();
            break;
        case Step::Type::move:
            beginMoveRows({}, s.first, s.first, {}, s.to > s.first ? s.to + 1 : s.to);
            m_apps.move(s.first, s.to);
            endMoveRows();
            break;
        }
    }
    // Same applications in the same places now; pass on changed details.
    for (int r = 0; r < m_apps.size(); ++r) {
        if (!m_apps[r].sameDetails(apps[r])) {
            m_apps[r] = apps[r];
            emit dataChanged(index(r), index(r));
        }
    }
    if (count() != before) {
        emit countChanged();
    }
}

void AppTileModel::reset(const QList<AppItem> &apps)
{
    const int before = count();
    beginResetModel();
    m_apps = apps;
    endResetModel();
    if (count() != before) {
        emit countChanged();
    }
}

void AppTileModel::rewrite(const QList<AppItem> &apps)
{
    const int before = count();
    const int kept = int(std::min(m_apps.size(), apps.size()));
    for (int r = 0; r < kept;) {
        if (m_apps[r].sameDetails(apps[r])) {
            ++r;
            continue;
        }
        const int first = r;
        for (; r < kept && !m_apps[r].sameDetails(apps[r]); ++r) {
            m_apps[r] = apps[r];
        }
        emit dataChanged(index(first), index(r - 1));
    }
    if (apps.size() > kept) {
        beginInsertRows({}, kept, int(apps.size()) - 1);
        m_apps.append(apps.mid(kept));
        endInsertRows();
    } else if (m_apps.size() > kept) {
        beginRemoveRows({}, kept, int(m_apps.size()) - 1);
        m_apps.resize(kept);
        endRemoveRows();
    }
    if (count() != before) {
        emit countChanged();
    }
}

AppItem AppTileModel::appAt(int row) const
{
    return m_apps.value(row);
}

int AppTileModel::indexOfPath(const QString &path) const
{
    for (int r = 0; r < m_apps.size(); ++r) {
        if (m_apps[r].id() == path) {
            return r;
        }
    }
    return -1;
}

} // namespace brimlark
