// The sidebar's QML views under Qt Quick Test; each test makes its own
// catalog and view model through `SidebarTest.fixture()`.

#include "QmlTestSetup.h"
#include "SidebarFixture.h"

#include <QAccessible>
#include <QQmlEngine>
#include <QtQuickTest/quicktest.h>

namespace brimlark::test {

class SidebarTestSupport : public FixtureFactory
{
    Q_OBJECT
public:
    explicit SidebarTestSupport(QQmlEngine *engine)
        : FixtureFactory([] { return new SidebarFixture; }, engine)
    {
    }
    // Writes a field's text the way assistive technology does: through the
    // item's accessible interface, with no key event.
    Q_INVOKABLE bool writeAccessibleText(QObject *item, const QString &text)
    {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(item);
        if (!iface) {
            return false;
        }
        if (auto *editable = iface->editableTextInterface()) {
            editable->replaceText(0, iface->textInterface()->characterCount(), text);
        } else {
            iface->setText(QAccessible::Value, text);
        }
        return true;
    }
};

struct Setup : QmlTestSetup
{
    Setup()
        : QmlTestSetup(u"SidebarTest"_qs, [](QQmlEngine *engine) { return new SidebarTestSupport(engine); })
    {
    }
};

} // namespace brimlark::test

QUICK_TEST_MAIN_WITH_SETUP(sidebar, brimlark::test::Setup)

#include "QmlTestMain.moc"
