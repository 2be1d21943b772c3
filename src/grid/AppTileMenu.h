#pragma once

#include "model/AppFolder.h"
#include "platform/core/UuidText.h"
#include "state/SidebarSelection.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>
#include <QVariantList>
#include <QVariantMap>

#include <optional>

namespace brimlark {

// The context menu of an application tile, computed from the state of the
// moment it opens.
class AppTileMenu
{
    Q_GADGET

public:
    enum class Kind { action, divider, submenu };
    Q_ENUM(Kind)

    enum class Action {
        none,
        launch,
        toggleFavorite,
        hideGlobally,
        unhideGlobally,
        removeFromFolder,
        addToFolder,
        uninstall
    };
    Q_ENUM(Action)

    struct Entry
    {
        Kind kind = Kind::divider;
        Action action = Action::none;
        QString title;
        // Fixed texts are looked up for translation; folder names are shown as they are.
        bool localized = true;
        bool destructive = false;
        // An "Add to Folder" without folders stays in the menu, disabled.
        bool enabled = true;
        // The folder the entry acts on (removeFromFolder, addToFolder).
        QUuid folderID;
        // The entries of a submenu.
        QList<Entry> children;

        bool operator==(const Entry &other) const = default;
    };

    // The "Add to Folder" submenu lists `folders` but those hidden globally.
    static QList<Entry> entries(const std::optional<SidebarSelection> &selection, bool isFavorite,
        const QList<AppFolder> &folders, const QSet<QUuid> &hiddenFolderIDs = {});

    // A name shown as it is in a menu: "&" would otherwise vanish into a
    // mnemonic, so it is doubled.
    static QString menuText(const QString &name);

    // For QML: every entry a map with "kind" and "action" (the enums,
    // AppTileMenu.Kind.divider, AppTileMenu.Action.launch), "title",
    // "menuText" (the title as a menu shows it verbatim), "localized",
    // "destructive", "enabled", "folderID" (upper-case UUID text or empty)
    // and "children".
    static QVariantList toVariantList(const QList<Entry> &entries);
    // One entry's map as above without "action" and "children", which the
    // caller adds: the card menus make theirs here too, so one menu view
    // shows both.
    template <typename MenuEntry> static QVariantMap entryMap(const MenuEntry &e);
    // The entries as toVariantList gives them, for either menu: "action" is
    // the enum value itself (the menu view hands it back to perform()), and
    // an entry with a symbol (the card menus') has "symbol" too.
    template <typename MenuEntry> static QVariantList entryList(const QList<MenuEntry> &entries);
};

template <typename MenuEntry> QVariantMap AppTileMenu::entryMap(const MenuEntry &e)
{
    return {
        { QStringLiteral("kind"), QVariant::fromValue(e.kind) },
        { QStringLiteral("title"), e.title },
        { QStringLiteral("menuText"), menuText(e.title) },
        { QStringLiteral("localized"), e.localized },
        { QStringLiteral("enabled"), e.enabled },
        { QStringLiteral("destructive"), e.destructive },
        { QStringLiteral("folderID"), e.folderID.isNull() ? QString() : UuidText::format(e.folderID) },
    };
}

template <typename MenuEntry> QVariantList AppTileMenu::entryList(const QList<MenuEntry> &entries)
{
    QVariantList out;
    out.reserve(entries.size());
    for (const MenuEntry &e : entries) {
        QVariantMap m = entryMap(e);
        m.insert(QStringLiteral("action"), QVariant::fromValue(e.action));
        if constexpr (requires { e.symbol; }) {
            m.insert(QStringLiteral("symbol"), e.symbol);
        }
        m.insert(QStringLiteral("children"), entryList(e.children));
        out << m;
    }
    return out;
}

} // namespace brimlark
