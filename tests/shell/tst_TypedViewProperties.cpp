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

// What the program hands its views and controllers: the right object or
// value is taken; one of another type is refused where it is handed over,
// with an error naming the property, and the property stays empty instead of
// holding something the view cannot use.
TEST(TypedViewPropertiesTest, AViewTakesTheObjectOfItsTypeAndRefusesAnyOther)
{
    test::GridFixture f;
    f.publish(QStringList { u"Alpha"_qs });
    const QVariant alpha = f.appNamed(u"Alpha"_qs);
    const QVariant work = f.makeFolder(u"Work"_qs);
    const QVariant aWorkspace = QVariant::fromValue(WorkspaceManager::defaultWorkspace());
    const QVariantMap withViewModel { { u"viewModel"_qs, QVariant::fromValue(&f.vm()) } };
    ManualScheduler scheduler;
    NoDiskAccess access;
    UninstallerServices services([] { return nullptr; }, access, scheduler);
    QObject stranger;

    struct Case
    {
        QString source; // a view's URL, or QML text making a controller
        const char *property;
        QVariant right; // null: only the refusal is checked
        QVariant wrong;
        QVariantMap with = {}; // the view's other required properties
    };
    const auto object = [](QObject *o) { return o ? QVariant::fromValue(o) : QVariant(); };
    const QList<Case> cases {
        { u"qrc:/Brimlark/Grid/AppGridView.qml"_qs, "viewModel", object(&f.vm()), object(&f.workspaces) },
        { u"qrc:/Brimlark/Grid/GridToolbar.qml"_qs, "viewModel", object(&f.vm()), object(&stranger) },
        { u"qrc:/Brimlark/Sidebar/SidebarView.qml"_qs, "viewModel", object(&f.vm()), object(&f.workspaces) },
        { u"qrc:/Brimlark/Sidebar/SidebarView.qml"_qs, "workspaceManager", object(&f.workspaces),
            object(&f.vm()) },
        { u"qrc:/Brimlark/Uninstaller/AppUninstallerView.qml"_qs, "services", object(&services),
            object(&f.vm()) },
        { u"qrc:/Brimlark/Shell/WindowTools.qml"_qs, "uninstallerServices", object(&services),
            object(&stranger) },
        { u"qrc:/Brimlark/Shell/WindowTools.qml"_qs, "deskTools", QVariant(), object(&services) },
        { u"qrc:/Brimlark/Shell/ContentView.qml"_qs, "deskTools", QVariant(), object(&f.vm()) },
        { u"qrc:/Brimlark/Tools/RulerView.qml"_qs, "host", QVariant(), object(&stranger) },
        { u"import Brimlark.Grid\nAppGridController {}"_qs, "viewModel", object(&f.vm()),
            object(&f.workspaces) },
        { u"import Brimlark.Sidebar\nSidebarController {}"_qs, "workspaceManager", object(&f.workspaces),
            object(&f.vm()) },
        { u"qrc:/Brimlark/Grid/AppPickerView.qml"_qs, "folder", work, alpha, withViewModel },
        { u"qrc:/Brimlark/Grid/CategoryCardView.qml"_qs, "folder", work, alpha, withViewModel },
        { u"import Brimlark.Grid\nAppTileController {}"_qs, "app", alpha, work },
        { u"qrc:/Brimlark/Uninstaller/AppUninstallerView.qml"_qs, "app", QVariant(), work },
        { u"qrc:/Brimlark/Sidebar/FolderIconPickerPopoverView.qml"_qs, "folder", work, aWorkspace },
        { u"qrc:/Brimlark/Sidebar/FolderColorPickerPopoverView.qml"_qs, "folder", work, aWorkspace },
        { u"import Brimlark.Sidebar\nFolderIconPicker {}"_qs, "folder", work, aWorkspace },
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
        auto made = [&](const QVariant &handed) {
            QVariantMap properties = c.with;
            properties.insert(QString::fromLatin1(c.property), handed);
            return std::unique_ptr<QObject>(component.createWithInitialProperties(properties));
        };
        const bool isObject = c.wrong.metaType().flags().testFlag(QMetaType::PointerToQObject);
        // An object property is compared by the object it holds.
        const auto held = [&](const QObject &made) {
            const QVariant value = made.property(c.property);
            return isObject ? object(value.value<QObject *>()) : value;
        };
        if (c.right.isValid()) {
            const std::unique_ptr<QObject> taken = made(c.right);
            ASSERT_NE(taken, nullptr) << component.errorString().toStdString();
            EXPECT_EQ(held(*taken), c.right);
            EXPECT_TRUE(component.errors().isEmpty()) << component.errorString().toStdString();
        }
        const std::unique_ptr<QObject> refused = made(c.wrong);
        EXPECT_THAT(component.errorString().toStdString(), testing::HasSubstr(c.property));
        ASSERT_NE(refused, nullptr);
        EXPECT_EQ(held(*refused), isObject ? QVariant() : QVariant(refused->property(c.property).metaType()))
            << "holds what it was handed";
    }
}

} // namespace
