#include "shell/BrimlarkApp.h"
#include "shell/QtApplicationLifecycle.h"
#include "shell/QtMainExecutor.h"
#include "shell/SingleInstance.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(BrimlarkShellPlugin)

int main(int argc, char *argv[])
{
    using namespace brimlark;

    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("brimlark"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Brimlark"));
    QGuiApplication::setDesktopFileName(QStringLiteral("brimlark"));
    // Closing the window hides the application; only "Quit" ends it.
    QGuiApplication::setQuitOnLastWindowClosed(
        AppDelegate::applicationShouldTerminateAfterLastWindowClosed());

    const QList<QUrl> urls = SingleInstance::urlsFromArguments(QGuiApplication::arguments());
    SingleInstance instance;
    if (instance.start(urls) == SingleInstance::Role::HandedOver) {
        return 0;
    }

    MainExecutor::installShared(std::make_shared<QtMainExecutor>());
    QtApplicationLifecycle lifecycle;

    BrimlarkApp brimlark;
    brimlark.attach(instance);

    BrimlarkApp::setUpStyle();
    QQmlApplicationEngine engine;
    if (!brimlark.launch(engine)) {
        return 1;
    }
    for (const QUrl &url : urls) {
        brimlark.openURL(url);
    }
    return app.exec();
}
