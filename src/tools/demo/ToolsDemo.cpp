// A window with the five desk-tool popovers side by side and a workspace switcher,
// for trying them before the grid's toolbar opens them. State goes to the
// standard settings domain, so it survives a restart like the program's.

#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/Scheduler.h"
#include "shell/BrimlarkApp.h"
#include "tools/CodeSnippetsController.h"
#include "tools/QRGeneratorController.h"
#include "tools/StickyNotesController.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkToolsPlugin)

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    brimlark::BrimlarkApp::setUpStyle();

    // A folder only this user can enter stands in for the program's private
    // runtime folder.
    QTemporaryDir qrFolder;
    if (!qrFolder.isValid()) {
        std::fprintf(stderr, "tools-demo: no private folder for the QR code\n");
        return 1;
    }
    std::printf("QR code file: %s/%s\n", qPrintable(qrFolder.path()),
        qPrintable(brimlark::QRGeneratorController::fileName()));
    std::fflush(stdout);

    auto &storage = brimlark::WorkspaceStorage::shared();
    brimlark::TimerScheduler scheduler;
    brimlark::QRGeneratorController qr(qrFolder.path(), scheduler);
    brimlark::StickyNotesController notes(storage);
    brimlark::CodeSnippetsController snippets(storage, scheduler);

    QQmlApplicationEngine engine;
    brimlark::BrimlarkApp::prepareEngine(engine);
    engine.rootContext()->setContextProperty(
        QStringLiteral("workspaceManager"), &brimlark::WorkspaceManager::shared());
    engine.setInitialProperties({ { QStringLiteral("qrController"), QVariant::fromValue(&qr) },
        { QStringLiteral("notesController"), QVariant::fromValue(&notes) },
        { QStringLiteral("snippetsController"), QVariant::fromValue(&snippets) } });
    engine.load(QUrl(QStringLiteral("qrc:/tools-demo/ToolsDemo.qml")));
    if (engine.rootObjects().isEmpty()) {
        return 1;
    }
    return app.exec();
}
