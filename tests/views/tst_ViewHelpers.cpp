#include "shell/BrimlarkApp.h"
#include "support/QmlTest.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <memory>

using namespace brimlark;

namespace {

// The shared view helpers in a window of their own.
class ViewHelpersTest : public test::QmlTest
{
protected:
    std::unique_ptr<QObject> create(const QByteArray &qml)
    {
        BrimlarkApp::prepareEngine(m_engine);
        QQmlComponent component(&m_engine);
        component.setData(qml, QUrl(u"qrc:/tests/Host.qml"_qs));
        std::unique_ptr<QObject> object(component.create());
        if (!object) {
            m_warnings.append(component.errorString());
        }
        return object;
    }

    QQmlEngine m_engine;
};

const QByteArray s_fieldHost = R"(
import QtQuick
import QtQuick.Controls
import Brimlark.Views

Window {
    width: 400; height: 200; visible: true
    property string query: "start"
    property bool wantFocus: false
    property int ended: 0
    property alias field: field
    property alias other: other
    Column {
        CustomTextField {
            id: field
            width: 300
            placeholder: "Search apps..."
            text: query
            onTextEdited: query = text
            isFocused: wantFocus
            onFocusEnded: { wantFocus = false; ended++ }
        }
        TextField { id: other; width: 300 }
    }
}
)";

TEST_F(ViewHelpersTest, CustomTextFieldFollowsItsBindings)
{
    std::unique_ptr<QObject> host = create(s_fieldHost);
    ASSERT_TRUE(host);
    auto *window = qobject_cast<QQuickWindow *>(host.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto *field = host->property("field").value<QQuickItem *>();
    auto *other = host->property("other").value<QQuickItem *>();
    ASSERT_TRUE(field && other);
    EXPECT_EQ(field->property("text").toString(), u"start"_qs);
    EXPECT_EQ(field->property("placeholderText").toString(), u"Search apps..."_qs);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(field);
    ASSERT_TRUE(accessible);
    EXPECT_EQ(accessible->text(QAccessible::Name), u"Search apps..."_qs);

    // A change made elsewhere (a clear button) reaches the field.
    host->setProperty("query", QString());
    EXPECT_EQ(field->property("text").toString(), QString());

    // A focus request is carried out on a later turn.
    host->setProperty("wantFocus", true);
    EXPECT_FALSE(field->hasActiveFocus());
    ASSERT_TRUE(test::waitUntil([&] { return field->hasActiveFocus(); }));

    // Typing writes back at every keystroke.
    QTest::keyClick(window, Qt::Key_A);
    EXPECT_EQ(host->property("query").toString(), u"a"_qs);
    QTest::keyClick(window, Qt::Key_B);
    EXPECT_EQ(host->property("query").toString(), u"ab"_qs);

    // Editing ends when the focus goes elsewhere; reported a turn later.
    other->forceActiveFocus();
    EXPECT_TRUE(host->property("wantFocus").toBool());
    ASSERT_TRUE(test::waitUntil([&] { return !host->property("wantFocus").toBool(); }));
    EXPECT_EQ(host->property("ended").toInt(), 1);
    EXPECT_FALSE(field->hasActiveFocus());

    // Clearing the request never takes the focus away.
    host->setProperty("wantFocus", true);
    ASSERT_TRUE(test::waitUntil([&] { return field->hasActiveFocus(); }));
    host->setProperty("wantFocus", false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(field->hasActiveFocus());
}

const QByteArray s_helpersHost = R"(
import QtQuick
import QtQuick.Controls
import Brimlark.Views

Window {
    width: 300; height: 200; visible: true
    color: "white"
    property alias known: known
    property alias unknown: unknown
    // Each material in both appearances, blended over the window and below
    // that drawn over the window's colour given as its backdrop.
    Repeater {
        model: 18
        Item {
            x: (index % 9) * 10; y: Math.floor(index / 9) * 130
            palette.window: index < 9 ? "#ECECEC" : "#232323"
            readonly property string material: ["sidebar", "headerView", "hudWindow", "popover", "menu",
                "underWindowBackground", "contentBackground", "windowBackground", "noSuchMaterial"][index % 9]
            VisualEffectView { material: parent.material; blendingMode: "withinWindow"; width: 10; height: 10 }
            VisualEffectView { material: parent.material; backdrop: "white"; y: 10; width: 10; height: 10 }
        }
    }
    SymbolImage { id: known; name: "star.fill"; color: "#FF0000"; size: 40; x: 0; y: 20 }
    SymbolImage { id: unknown; name: "no.such.symbol"; x: 50; y: 20 }
    ScrollView {
        x: 100; y: 20; width: 100; height: 100
        ScrollBar.vertical: ThinScrollBar {}
        ScrollBar.horizontal: ThinScrollBar {}
        Rectangle { implicitWidth: 300; implicitHeight: 600; color: "lightgray" }
    }
    property color parsed: Colors.hex("#007AFF")
    property bool exists: Symbols.exists("folder.fill")
    property bool missing: Symbols.exists("nope")
}
)";

TEST_F(ViewHelpersTest, HelpersLoadAndDraw)
{
    std::unique_ptr<QObject> host = create(s_helpersHost);
    ASSERT_TRUE(host);
    auto *window = qobject_cast<QQuickWindow *>(host.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    EXPECT_EQ(host->property("parsed").value<QColor>(), QColor(0, 122, 255));
    EXPECT_TRUE(host->property("exists").toBool());
    EXPECT_FALSE(host->property("missing").toBool());

    auto *known = host->property("known").value<QQuickItem *>();
    auto *unknown = host->property("unknown").value<QQuickItem *>();
    EXPECT_TRUE(known->property("available").toBool());
    EXPECT_FALSE(unknown->property("available").toBool());
    EXPECT_EQ(known->implicitWidth(), 40);
    EXPECT_EQ(unknown->implicitWidth(), 16);

    const QImage frame = window->grabWindow();
    ASSERT_FALSE(frame.isNull());
    const qreal dpr = frame.devicePixelRatio();
    const QColor centre = frame.pixelColor(QPoint(20, 42) * dpr);
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 60);
    EXPECT_LT(centre.blue(), 60);
    for (int i = 0; i < 18; ++i) {
        const QPoint at((i % 9) * 10 + 5, i / 9 * 130 + 5);
        const QColor blended = frame.pixelColor(at * dpr),
                     opaque = frame.pixelColor((at + QPoint(0, 10)) * dpr);
        EXPECT_LE(std::abs(blended.red() - opaque.red()) + std::abs(blended.green() - opaque.green())
                + std::abs(blended.blue() - opaque.blue()),
            1)
            << i;
    }
}

} // namespace
