// The grid's QML views under Qt Quick Test. Each test makes its own
// catalog and view model through `GridTest.fixture()`; the grid's delayed
// work runs on the fixture's virtual clock.

#include "GridFixture.h"
#include "QmlTestSetup.h"
#include "support/AccessibleTree.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QVariantMap>
#include <QtQuickTest/quicktest.h>

namespace brimlark::test {

// Makes fixtures for the QML tests; each lives until the test destroys it.
class GridTestSupport : public FixtureFactory
{
    Q_OBJECT
public:
    explicit GridTestSupport(QQmlEngine *engine)
        : FixtureFactory([] { return new GridFixture; }, engine)
    {
    }

    // What a paste brings.
    Q_INVOKABLE void setClipboardText(const QString &text) const
    {
        QGuiApplication::clipboard()->setText(text);
    }

    // The names of the buttons below `root` that assistive technology is
    // told are there and showing, in tree order: what a screen reader
    // would list.
    Q_INVOKABLE QStringList shownButtons(QQuickItem *root) const { return shown(root, QAccessible::Button); }
    // The same for the nodes of any role (Accessible.CheckBox, …).
    Q_INVOKABLE QStringList shown(QQuickItem *root, int role) const
    {
        if (!bridgeOn()) {
            return {};
        }
        QStringList out;
        collect(QAccessible::queryAccessibleInterface(root), QAccessible::Role(role), out, 0);
        return out;
    }

    // The names of the nodes of a role directly below `root` in the tree,
    // hidden ones included (what a screen reader is handed as the node's
    // children); with `hiddenOnly`, of any role, only the hidden ones.
    Q_INVOKABLE QStringList children(QQuickItem *root, int role, bool hiddenOnly = false) const
    {
        QStringList out;
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(root);
        for (int i = 0; node && i < node->childCount(); ++i) {
            QAccessibleInterface *child = node->child(i);
            if (child && (hiddenOnly ? child->state().invisible : child->role() == QAccessible::Role(role))) {
                out << child->text(QAccessible::Name);
            }
        }
        return out;
    }

    // What assistive technology is told of one item: its role (as the
    // Accessible.* values), name, description and the states that matter.
    Q_INVOKABLE QVariantMap node(QObject *object) const
    {
        if (!bridgeOn()) {
            return {};
        }
        QAccessibleInterface *iface = object ? QAccessible::queryAccessibleInterface(object) : nullptr;
        if (!iface) {
            return {};
        }
        const QAccessible::State state = iface->state();
        return {
            { QStringLiteral("role"), int(iface->role()) },
            { QStringLiteral("name"), iface->text(QAccessible::Name) },
            { QStringLiteral("description"), iface->text(QAccessible::Description) },
            { QStringLiteral("disabled"), bool(state.disabled) },
            { QStringLiteral("invisible"), bool(state.invisible) },
            { QStringLiteral("checked"), bool(state.checked) },
            { QStringLiteral("selected"), bool(state.selected) },
            { QStringLiteral("focused"), bool(state.focused) },
            { QStringLiteral("passwordEdit"), bool(state.passwordEdit) },
            { QStringLiteral("text"),
                iface->textInterface()
                    ? iface->textInterface()->text(0, iface->textInterface()->characterCount())
                    : iface->text(QAccessible::Value) },
        };
    }

private:
    // A read without the bridge fails the test that asked.
    bool bridgeOn() const
    {
        if (accessibilityBridgeActive()) {
            return true;
        }
        qobject_cast<QQmlEngine *>(parent())->throwError(QString::fromLatin1(bridgeInactiveMessage));
        return false;
    }
    static void collect(QAccessibleInterface *node, QAccessible::Role role, QStringList &out, int depth)
    {
        if (!node || depth > 64) {
            return;
        }
        const QAccessible::State state = node->state();
        if (state.invisible || state.offscreen) {
            return;
        }
        if (node->role() == role) {
            out << node->text(QAccessible::Name);
        }
        for (int i = 0; i < node->childCount(); ++i) {
            collect(node->child(i), role, out, depth + 1);
        }
    }
};

struct Setup : QmlTestSetup
{
    Setup()
        : QmlTestSetup(u"GridTest"_qs, [](QQmlEngine *engine) { return new GridTestSupport(engine); })
    {
    }
};

} // namespace brimlark::test

QUICK_TEST_MAIN_WITH_SETUP(grid, brimlark::test::Setup)

#include "QmlTestMain.moc"
