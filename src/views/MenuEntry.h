#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// One row of a context menu as a menu view shows it: a divider, an action or
// a submenu. Each menu keeps its own typed Action enum in C++; the entry
// carries it as a number the view hands back when the row is chosen.
class MenuEntry
{
    Q_GADGET
    QML_VALUE_TYPE(menuEntry)
    Q_PROPERTY(brimlark::MenuEntry::Kind kind MEMBER kind)
    Q_PROPERTY(int action MEMBER action)
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(QString menuText READ menuText)
    Q_PROPERTY(QString symbol MEMBER symbol)
    Q_PROPERTY(bool localized MEMBER localized)
    Q_PROPERTY(bool destructive MEMBER destructive)
    Q_PROPERTY(bool enabled MEMBER enabled)
    Q_PROPERTY(QString folderID READ folderIDText)
    Q_PROPERTY(QList<brimlark::MenuEntry> children MEMBER children)

public:
    enum class Kind { divider, action, submenu };
    Q_ENUM(Kind)

    Kind kind = Kind::divider;
    int action = 0;
    QString title;
    QString symbol;
    // Fixed texts are looked up for translation; names from the user or a
    // bundle are shown as they are.
    bool localized = true;
    bool destructive = false;
    // An empty submenu stays in the menu, disabled.
    bool enabled = true;
    // The folder the entry acts on, if any.
    QUuid folderID;
    // The entries of a submenu.
    QList<MenuEntry> children;

    template <typename Action> static MenuEntry of(Action action, const QString &title)
    {
        MenuEntry e;
        e.kind = Kind::action;
        e.action = int(action);
        e.title = title;
        return e;
    }
    static MenuEntry divider() { return {}; }
    static MenuEntry submenu(const QString &title, const QList<MenuEntry> &children);

    // The title as a menu shows it verbatim: "&" would otherwise vanish into
    // a mnemonic, so it is doubled.
    QString menuText() const;
    // Upper-case UUID text, or empty without a folder.
    QString folderIDText() const;

    // Declared here, defined beside the rest: a defaulted comparison would
    // have Qt's type traits look into the list of entries inside an entry
    // while the type is still incomplete.
    bool operator==(const MenuEntry &other) const;
};

// The kinds as QML compares them (MenuEntry.Kind.divider).
namespace MenuEntryEnums {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(brimlark::MenuEntry)
QML_NAMED_ELEMENT(MenuEntry)
} // namespace MenuEntryEnums

} // namespace brimlark
