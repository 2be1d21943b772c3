#include "views/MenuEntry.h"

#include "platform/core/UuidText.h"

namespace brimlark {

MenuEntry MenuEntry::submenu(const QString &title, const QList<MenuEntry> &children)
{
    MenuEntry e;
    e.kind = Kind::submenu;
    e.title = title;
    e.children = children;
    // An empty submenu would open as a blank strip.
    e.enabled = !children.isEmpty();
    return e;
}

QString MenuEntry::menuText() const
{
    QString text = title;
    return text.replace(u'&', QStringLiteral("&&"));
}

QString MenuEntry::folderIDText() const
{
    return folderID.isNull() ? QString() : UuidText::format(folderID);
}

bool MenuEntry::operator==(const MenuEntry &other) const
{
    return kind == other.kind && action == other.action && title == other.title && symbol == other.symbol
        && localized == other.localized && destructive == other.destructive && enabled == other.enabled
        && folderID == other.folderID && children == other.children;
}

} // namespace brimlark
