#pragma once

#include "model/AppFolder.h"

#include <QHash>
#include <QMetaType>
#include <QString>

namespace brimlark {

// What the sidebar or the menu has selected. A folder selection keeps a copy
// of the folder as it was when selected; two folder selections are equal when
// the folders' ids are, whatever else changed since.
class SidebarSelection
{
    Q_GADGET
    Q_PROPERTY(Kind kind READ kind CONSTANT)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(brimlark::AppFolder folder READ folder CONSTANT)
    Q_PROPERTY(QString category READ category CONSTANT)

public:
    // In declaration order.
    enum class Kind { allApps, recents, favorites, folder, newlyAdded, category, hidden };
    Q_ENUM(Kind)

    SidebarSelection() = default;
    // For the cases without a payload (a folder or category selection made
    // this way carries an empty one).
    explicit SidebarSelection(Kind kind)
        : m_kind(kind)
    {
    }
    static SidebarSelection ofFolder(const AppFolder &folder);
    static SidebarSelection ofCategory(const QString &name);

    Kind kind() const { return m_kind; }
    bool is(Kind kind) const { return m_kind == kind; }
    // Meaningful for a folder selection only.
    const AppFolder &folder() const { return m_folder; }
    // Meaningful for a category selection only.
    const QString &category() const { return m_category; }

    // The display title of the grid and the sidebar.
    QString title() const;

    bool operator==(const SidebarSelection &other) const;

private:
    Kind m_kind = Kind::allApps;
    AppFolder m_folder;
    QString m_category;
};

size_t qHash(const SidebarSelection &selection, size_t seed = 0);

} // namespace brimlark

Q_DECLARE_METATYPE(brimlark::SidebarSelection)
