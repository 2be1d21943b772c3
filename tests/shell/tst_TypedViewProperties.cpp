#include "GridFixture.h"
#include "platform/base/DiskAccess.h"
#include "uninstaller/AppUninstallerScanner.h"
#include "uninstaller/views/UninstallerServices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>

#include <memory>

using namespace brimlark;

namespace {

class NoDiskAccess : public DiskAccess
{
public:
    bool hasAccess() override { return false; }
    void openSystemSettings() override { }
};

// What the program hands its views and controllers: the right object is
// taken; an object of another type is refused where it is handed over, with
// an error naming the property, and the property stays empty instead of
// holding an object the view cannot use.
TEST(TypedViewPropertiesTest, AViewTakesTheObjectOfItsTypeAndRefusesAnyOther)
{
    test::GridFixture f;
    ManualScheduler scheduler;
    NoDiskAccess access;
    UninstallerServices services([] { return nullptr; }, access, scheduler);
    QObject stranger;

    struct Case
    {
        QString source; // a view's URL, or QML text making a controller
        const char *property;
        QObject *right; // nullptr: only the refusal is checked
        QObject *wrong;
    };
    const QList<Case> cases {
        { u"qrc:/Brimlark/Grid/AppGridView.qml"_qs, "viewModel", &f.vm(), &f.workspaces },
        { u"qrc:/Brimlark/Grid/GridToolbar.qml"_qs, "viewModel", &f.vm(), &stranger },
        { u"qrc:/Brimlark/Sidebar/SidebarView.qml"_qs, "viewModel", &f.vm(), &f.workspaces },
        { u"qrc:/Brimlark/Sidebar/SidebarView.qml"_qs, "workspaceManager", &f.workspaces, &f.vm() },
        { u"qrc:/Brimlark/Uninstaller/AppUninstallerView.qml"_qs, "services", &services, &f.vm() },
        { u"qrc:/Brimlark/Uninstaller/AppUninstallerView.qml"_qs, "app", nullptr, &stranger },
        { u"qrc:/Brimlark/Shell/WindowTools.qml"_qs, "uninstallerServices", &services, &stranger },
        { u"qrc:/Brimlark/Shell/WindowTools.qml"_qs, "deskTools", nullptr, &services },
        { u"qrc:/Brimlark/Shell/ContentView.qml"_qs, "deskTools", nullptr, &f.vm() },
        { u"qrc:/Brimlark/Tools/RulerView.qml"_qs, "host", nullptr, &stranger },
        { u"import Brimlark.Grid\nAppGridController {}"_qs, "viewModel", &f.vm(), &f.workspaces },
        { u"import Brimlark.Sidebar\nSidebarController {}"_qs, "workspaceManager", &f.workspaces, &f.vm() },
    };

    QQmlEngine engine;
    engine.addImportPath(u"qrc:/"_qs);
    for (const Case &c : cases) {
        SCOPED_TRACE((c.source + u' ' + QString::fromLatin1(c.property)).toStdString());
        QQmlComponent component(&engine);
        if (c.source.startsWith(u"qrc:")) {
            component.loadUrl(QUrl(c.source));
        } else {
            component.setData(c.source.toUtf8(), QUrl());
        }
        ASSERT_TRUE(component.isReady()) << component.errorString().toStdString();
        auto made = [&](QObject *handed) {
            return std::unique_ptr<QObject>(component.createWithInitialProperties(
                { { QString::fromLatin1(c.property), QVariant::fromValue(handed) } }));
        };
        if (c.right) {
            const std::unique_ptr<QObject> taken = made(c.right);
            ASSERT_NE(taken, nullptr) << component.errorString().toStdString();
            EXPECT_EQ(taken->property(c.property).value<QObject *>(), c.right);
            EXPECT_TRUE(component.errors().isEmpty()) << component.errorString().toStdString();
        }
        const std::unique_ptr<QObject> refused = made(c.wrong);
        EXPECT_THAT(component.errorString().toStdString(), testing::HasSubstr(c.property));
        ASSERT_NE(refused, nullptr);
        EXPECT_EQ(refused->property(c.property).value<QObject *>(), nullptr);
    }
}

} // namespace
