#include "model/CatalogFolders.h"

#include "model/StoredJson.h"
#include "model/StoredStrings.h"
#include "model/WorkspaceManager.h"
#include "platform/core/ListMove.h"

#include <algorithm>
#include <limits>

namespace brimlark {

CatalogFolders::CatalogFolders(Defaults &defaults, const WorkspaceManager &workspaces, Clock clock)
    : m_defaults(defaults)
    , m_workspaces(workspaces)
    , m_clock(std::move(clock))
{
}

const AppFolder *CatalogFolders::find(const QUuid &id) const
{
    const auto it = std::find_if(
        m_folders.cbegin(), m_folders.cend(), [&id](const AppFolder &f) { return f.id == id; });
    return it == m_folders.cend() ? nullptr : &*it;
}

AppFolder *CatalogFolders::findMutable(const QUuid &id)
{
    return const_cast<AppFolder *>(std::as_const(*this).find(id));
}

void CatalogFolders::load()
{
    // Undecodable data is kept aside by StoredJson before any save replaces it.
    auto stored = StoredJson::readList<AppFolder>(
        m_defaults, m_workspaces.perWorkspaceKey(foldersBase), &AppFolder::fromJson);
    m_folders = stored ? QList<AppFolder>(stored->begin(), stored->end()) : QList<AppFolder> {};
    sort();
}

void CatalogFolders::save()
{
    // The same text a dump of the whole array gives, made of the folders'
    // own texts: a rename among hundreds of folders encodes one of them.
    QHash<QUuid, Encoded> encoded;
    encoded.reserve(m_folders.size());
    std::string text = "[";
    for (const auto &f : std::as_const(m_folders)) {
        auto cached = m_encoded.find(f.id);
        if (cached == m_encoded.end() || !cached->folder.sameDetails(f)) {
            try {
                cached = m_encoded.insert(f.id,
                    Encoded { f,
                        f.toJson().dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::strict) });
            } catch (const nlohmann::json::exception &) {
                return; // a folder that cannot be encoded is not written
            }
        }
        if (text.size() > 1) {
            text += ',';
        }
        text += cached->json;
        encoded.insert(f.id, std::move(*cached));
    }
    text += ']';
    m_encoded = std::move(encoded);
    m_defaults.set(m_workspaces.perWorkspaceKey(foldersBase).toStdString(), DefaultsValue::fromBytes(text));
}

void CatalogFolders::set(QList<AppFolder> folders)
{
    m_folders = std::move(folders);
}

void CatalogFolders::sort()
{
    std::stable_sort(m_folders.begin(), m_folders.end(), [](const AppFolder &a, const AppFolder &b) {
        if (a.isPinned != b.isPinned) {
            return a.isPinned;
        }
        if (a.sortOrder != b.sortOrder) {
            return a.sortOrder < b.sortOrder;
        }
        return a.createdAt > b.createdAt;
    });
}

QUuid CatalogFolders::create(const QString &name, const QString &icon, const QString &color,
    const std::optional<QUuid> &parentFolderID)
{
    qint64 sortOrder = 0;
    if (!m_folders.isEmpty()) {
        qint64 highest = std::numeric_limits<qint64>::min();
        for (const auto &f : std::as_const(m_folders)) {
            highest = std::max(highest, f.sortOrder);
        }
        // Saturate: a hand-edited order at the largest value must not wrap
        // round to the smallest and put the new folder first.
        sortOrder = highest == std::numeric_limits<qint64>::max() ? highest : highest + 1;
    }
    AppFolder folder;
    folder.id = QUuid::createUuid();
    folder.name = name;
    folder.icon = icon;
    folder.color = color;
    folder.parentFolderID = parentFolderID;
    folder.createdAt = m_clock();
    folder.sortOrder = sortOrder;
    m_folders.prepend(folder);
    save();
    sort();
    return folder.id;
}

bool CatalogFolders::remove(const QUuid &id)
{
    if (!find(id)) {
        return false;
    }
    m_folders.removeIf([&id](const AppFolder &f) { return f.id == id; });
    save();
    return true;
}

bool CatalogFolders::edit(const QUuid &id, const std::function<bool(AppFolder &)> &change)
{
    AppFolder *folder = findMutable(id);
    if (!folder || !change(*folder)) {
        return false;
    }
    save();
    return true;
}

bool CatalogFolders::rename(const QUuid &id, const QString &name)
{
    return edit(id, [&name](AppFolder &f) {
        f.name = name;
        return true;
    });
}

bool CatalogFolders::togglePin(const QUuid &id)
{
    const bool toggled = edit(id, [](AppFolder &f) {
        f.isPinned = !f.isPinned;
        return true;
    });
    if (toggled) {
        sort();
    }
    return toggled;
}

bool CatalogFolders::setColor(const QUuid &id, const QString &color)
{
    return edit(id, [&color](AppFolder &f) {
        f.color = color;
        return true;
    });
}

bool CatalogFolders::setIcon(const QUuid &id, const QString &icon)
{
    return edit(id, [&icon](AppFolder &f) {
        f.icon = icon;
        return true;
    });
}

bool CatalogFolders::update(const QUuid &id, const QString &name, const QString &icon, const QString &color)
{
    return edit(id, [&](AppFolder &f) {
        if (f.name == name && f.icon == icon && f.color == color) {
            return false;
        }
        f.name = name;
        f.icon = icon;
        f.color = color;
        return true;
    });
}

bool CatalogFolders::addApp(const QUuid &id, const QString &urlText)
{
    return edit(id, [&urlText](AppFolder &f) {
        if (f.appURLs.contains(urlText)) {
            return false;
        }
        f.appURLs.append(urlText);
        return true;
    });
}

bool CatalogFolders::removeApp(const QUuid &id, const QString &urlText)
{
    return edit(id, [&urlText](AppFolder &f) {
        f.appURLs.removeAll(urlText);
        return true;
    });
}

bool CatalogFolders::reorderApps(const QUuid &id, const std::set<int> &source, int destination)
{
    return edit(id, [&](AppFolder &f) {
        ListMove::apply(f.appURLs, source, destination);
        return true;
    });
}

QSet<QUuid> CatalogFolders::detachedFolders() const
{
    QHash<QUuid, qsizetype> indexOf;
    for (qsizetype i = m_folders.size() - 1; i >= 0; --i) {
        indexOf.insert(m_folders[i].id, i);
    }
    QSet<QUuid> detached;
    // Folders already known to lead up to a root.
    QSet<qsizetype> settled;
    for (qsizetype start = 0; start < m_folders.size(); ++start) {
        QList<qsizetype> path;
        for (qsizetype at = start;;) {
            const AppFolder &f = m_folders[at];
            if (!f.parentFolderID || settled.contains(at) || detached.contains(f.id)) {
                break;
            }
            if (const qsizetype seenAt = path.indexOf(at); seenAt >= 0) {
                // A loop: it opens at the member the user sees first.
                const qsizetype first = *std::min_element(path.cbegin() + seenAt, path.cend());
                detached.insert(m_folders[first].id);
                break;
            }
            const auto parent = indexOf.constFind(*f.parentFolderID);
            if (parent == indexOf.cend()) {
                detached.insert(f.id);
                break;
            }
            path.append(at);
            at = *parent;
        }
        for (const qsizetype at : std::as_const(path)) {
            settled.insert(at);
        }
    }
    return detached;
}

QList<AppFolder> CatalogFolders::roots(const QSet<QUuid> &hidden) const
{
    const QSet<QUuid> detached = detachedFolders();
    QList<AppFolder> out;
    for (const auto &f : m_folders) {
        if ((!f.parentFolderID || detached.contains(f.id)) && !hidden.contains(f.id)) {
            out << f;
        }
    }
    return out;
}

QList<AppFolder> CatalogFolders::children(const QUuid &parentID, const QSet<QUuid> &hidden) const
{
    const QSet<QUuid> detached = detachedFolders();
    QList<AppFolder> out;
    for (const auto &f : m_folders) {
        if (f.parentFolderID && *f.parentFolderID == parentID && !detached.contains(f.id)
            && !hidden.contains(f.id)) {
            out << f;
        }
    }
    return out;
}

void CatalogFolders::reorderRoots(const std::set<int> &source, int destination, const QSet<QUuid> &hidden)
{
    QList<AppFolder> moved = roots(hidden);
    ListMove::apply(moved, source, destination);
    for (qsizetype position = 0; position < moved.size(); ++position) {
        if (AppFolder *folder = findMutable(moved[position].id)) {
            folder->sortOrder = position;
        }
    }
    save();
    sort();
}

QList<GridItemIdentifier> CatalogFolders::gridOrder() const
{
    QList<GridItemIdentifier> out;
    for (const auto &text :
        StoredStrings::read(m_defaults, m_workspaces.perWorkspaceKey(unifiedGridOrderBase))) {
        if (auto item = GridItemIdentifier::fromString(text)) {
            out << *item;
        }
    }
    return out;
}

void CatalogFolders::reorderGrid(
    const std::set<int> &source, int destination, const QList<GridItemIdentifier> &currentItems)
{
    QList<GridItemIdentifier> items = currentItems;
    ListMove::apply(items, source, destination);
    QStringList texts;
    texts.reserve(items.size());
    for (const auto &item : std::as_const(items)) {
        texts << item.stringRepresentation();
    }
    StoredStrings::write(m_defaults, m_workspaces.perWorkspaceKey(unifiedGridOrderBase), texts);
    for (qsizetype position = 0; position < items.size(); ++position) {
        if (!items[position].isFolder()) {
            continue;
        }
        if (AppFolder *folder = findMutable(items[position].folderId())) {
            folder->sortOrder = position;
        }
    }
    save();
}

} // namespace brimlark
