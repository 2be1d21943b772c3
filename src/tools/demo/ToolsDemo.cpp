// A window with the five desk-tool popovers side by side and a workspace switcher,
// for trying them on their own. State goes to a settings domain of the demo's
// own, so it survives a restart and never shares a file with a running program.

#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/Scheduler.h"
#include "platform/gui/Pasteboard.h"
#include "platform/gui/ScreenSampler.h"
#include "shell/BrimlarkApp.h"
#include "tools/DeskTools.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
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

    using namespace brimlark;
    Defaults defaults(Defaults::configDirectory() / "tools-demo.plist");
    NotificationCenter center;
    WorkspaceManager workspaces(defaults, center);
    WorkspaceStorage storage(defaults, workspaces, center);
    WorkspaceStorage::installShared(storage);
    TimerScheduler scheduler;
    const std::unique_ptr<ScreenSampler> sampler = ScreenSampler::create();
    const std::unique_ptr<RulerManager> ruler = RulerManager::overStorage(storage);
    DeskTools deskTools(*ruler, { storage, *sampler, Pasteboard::general(), scheduler, qrFolder.path() });

    QQmlApplicationEngine engine;
    BrimlarkApp::prepareEngine(engine);
    engine.setInitialProperties({ { QStringLiteral("deskTools"), QVariant::fromValue(&deskTools) },
        { QStringLiteral("workspaceManager"), QVariant::fromValue(&workspaces) } });
    engine.load(QUrl(QStringLiteral("qrc:/tools-demo/ToolsDemo.qml")));
    if (engine.rootObjects().isEmpty()) {
        return 1;
    }
    return app.exec();
}
