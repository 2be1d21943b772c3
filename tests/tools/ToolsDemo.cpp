// Both desk-tool popovers side by side in a window, before the grid's
// toolbar hosts them: tools-demo
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(BrimlarkShellPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkToolsPlugin)

int main(int argc, char **argv)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.loadData(R"(
import QtQuick
import Brimlark.Tools

Window {
    title: "Desk tools"
    visible: true
    width: 560
    height: 460
    color: "#ECECEE"
    Row {
        x: 20; y: 20
        spacing: 40
        Rectangle {
            width: 240; height: measure.implicitHeight; radius: 10; color: "#F7F7F9"
            MeasurePopoverView { id: measure }
        }
        Rectangle {
            width: 240; height: picker.implicitHeight; radius: 10; color: "#F7F7F9"
            ColorPickerPopoverView { id: picker }
        }
    }
}
)");
    if (engine.rootObjects().isEmpty()) {
        return 1;
    }
    return app.exec();
}
