// The uninstall sheet's QML views under Qt Quick Test. Each test makes a
// sheet fixture through `UninstallerTest.sheet(...)`: a temporary tree with
// leftovers of the named application, a Trash, an administrator that always
// refuses, and the services the sheet reads.
#include "QmlTestSetup.h"
#include "support/AccessibleTree.h"
#include "support/ManualScheduler.h"
#include "support/UninstallerFixture.h"

#include "model/AppItem.h"
#include "platform/base/DiskAccess.h"
#include "uninstaller/views/UninstallerServices.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QQmlEngine>
#include <QQuickItem>
#include <QtQuickTest/quicktest.h>

namespace brimlark::test {

namespace {
class FixedAccess : public DiskAccess
{
public:
    bool granted = true;
    bool hasAccess() override { return granted; }
    void openSystemSettings() override { }
};
} // namespace

class SheetFixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(brimlark::UninstallerServices *services READ services CONSTANT)

public:
    // A file name cannot hold "/": the application (a bundle on disk) is
    // named with U+2215 in its place; markup stays markup.
    SheetFixture(const QString &name, bool access, int extraCaches = 0)
        : m_appName(QString(name).replace(QLatin1Char('/'), QChar(0x2215)))
    {
        const QString &appName = m_appName;
        m_access.granted = access;
        m_tree.file(QStringLiteral("root/Applications/") + appName + QStringLiteral(".app/Contents/x"), 10);
        m_tree.file(QStringLiteral("home/Library/Preferences/") + appName + QStringLiteral(".plist"), 20);
        m_tree.file(QStringLiteral("home/Library/Caches/") + appName + QStringLiteral("/data"), 30);
        // Locked (the system Library): the administrator refuses it.
        m_tree.file(QStringLiteral("root/Library/Preferences/") + appName
                + QStringLiteral(" with a long tail of words that goes on and on so the line is wide.plist"),
            40);
        // More findings than the list shows at once.
        for (int i = 0; i < extraCaches; ++i) {
            m_tree.file(QStringLiteral("home/Library/Caches/") + appName + QStringLiteral(".extra-")
                    + QString::number(i),
                5);
        }
        m_world.admin.answer = [](const std::vector<std::string> &) {
            return AdminRunner::Result { AdminRunner::Outcome::Denied, {} };
        };
        m_services = std::make_unique<UninstallerServices>(
            [this] { return m_world.scanner(); }, m_access, m_scheduler);
    }
    ~SheetFixture() override { m_world.pool.waitForDone(); }

    // The application the sheet is for, shown under the catalog's name or
    // (shownName) under any text the sheet may be handed.
    Q_INVOKABLE brimlark::AppItem app(const QString &shownName = {}) const
    {
        const QString bundle
            = m_tree.root() + QStringLiteral("/Applications/") + m_appName + QStringLiteral(".app");
        return AppItem(shownName.isEmpty() ? m_appName : shownName, QUrl::fromLocalFile(bundle), {});
    }
    UninstallerServices *services() const { return m_services.get(); }
    // Puts a link to the real folder in place of the system's Preferences
    // folder: removal refuses to go through it, even as root.
    Q_INVOKABLE bool linkSystemPreferences() const
    {
        const QString folder = m_tree.root() + QStringLiteral("/Library/Preferences");
        return QFile::rename(folder, folder + QStringLiteral(".real"))
            && QFile::link(folder + QStringLiteral(".real"), folder);
    }
    // Takes a file away behind the sheet's back (home-relative).
    Q_INVOKABLE bool vanish(const QString &relative) const
    {
        return QFile::remove(m_tree.home() + QLatin1Char('/') + relative);
    }

private:
    QString m_appName;
    ResidualTree m_tree;
    ScannerWorld m_world { m_tree };
    FixedAccess m_access;
    ManualScheduler m_scheduler;
    std::unique_ptr<UninstallerServices> m_services;
};

class UninstallerTestSupport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // A fixture whose services a sheet is made with.
    Q_INVOKABLE QObject *sheet(const QString &appName, bool access, int extraCaches = 0)
    {
        return ownedByTest(new SheetFixture(appName, access, extraCaches));
    }
    // What assistive technology is told about an item: role, name, state,
    // actions, its children, and whether its parent lists it (in the tree).
    Q_INVOKABLE QVariantMap accessible(QQuickItem *item) const
    {
        // A read without the bridge fails the test that asked.
        if (!accessibilityBridgeActive()) {
            qobject_cast<QQmlEngine *>(parent())->throwError(QString::fromLatin1(bridgeInactiveMessage));
            return {};
        }
        QAccessibleInterface *iface = item ? QAccessible::queryAccessibleInterface(item) : nullptr;
        if (!iface) {
            return { { QStringLiteral("inTree"), false } };
        }
        QVariantList children;
        for (int i = 0; i < iface->childCount(); ++i) {
            if (QAccessibleInterface *child = iface->child(i)) {
                children.append(QVariantMap { { QStringLiteral("name"), child->text(QAccessible::Name) },
                    { QStringLiteral("role"), int(child->role()) } });
            }
        }
        QAccessibleInterface *parent = iface->parent();
        const QAccessible::State state = iface->state();
        return { { QStringLiteral("name"), iface->text(QAccessible::Name) },
            { QStringLiteral("description"), iface->text(QAccessible::Description) },
            { QStringLiteral("value"),
                iface->valueInterface() ? iface->valueInterface()->currentValue() : QVariant() },
            { QStringLiteral("role"), int(iface->role()) },
            { QStringLiteral("disabled"), bool(state.disabled) },
            { QStringLiteral("checkable"), bool(state.checkable) },
            { QStringLiteral("checked"), bool(state.checked) },
            { QStringLiteral("invisible"), bool(state.invisible) },
            { QStringLiteral("inTree"), parent && parent->indexOfChild(iface) >= 0 },
            { QStringLiteral("children"), children },
            { QStringLiteral("actions"),
                iface->actionInterface() ? iface->actionInterface()->actionNames() : QStringList() } };
    }
};

struct Setup : QmlTestSetup
{
    Setup()
        : QmlTestSetup(
            u"UninstallerTest"_qs, [](QQmlEngine *engine) { return new UninstallerTestSupport(engine); })
    {
    }
};

} // namespace brimlark::test

QUICK_TEST_MAIN_WITH_SETUP(uninstaller, brimlark::test::Setup)

#include "UninstallerQmlMain.moc"
