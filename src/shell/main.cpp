#include "analytics/AnalyticsManager.h"
#include "analytics/AnalyticsServices.h"
#include "analytics/ApplicationLifecycle.h"
#include "model/AppDiscovery.h"
#include "model/AppFinder.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/AdminRunner.h"
#include "platform/base/Defaults.h"
#include "platform/base/DeviceInfo.h"
#include "platform/base/DiskAccess.h"
#include "platform/base/RuntimeDirectory.h"
#include "platform/base/SystemPaths.h"
#include "platform/base/Trash.h"
#include "platform/core/Biometrics.h"
#include "platform/core/Bundle.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/Scheduler.h"
#include "platform/gui/AppIconImageProvider.h"
#include "platform/gui/AppIconStore.h"
#include "platform/gui/AppWorkspace.h"
#include "platform/gui/Pasteboard.h"
#include "platform/gui/ScreenSampler.h"
#include "shell/AnalyticsBridge.h"
#include "shell/BrimlarkApp.h"
#include "shell/ConsoleRouting.h"
#include "shell/DisplayCheck.h"
#include "shell/FolderShortcutMonitor.h"
#include "shell/GlobalHotkeyManager.h"
#include "shell/QtApplicationLifecycle.h"
#include "shell/QtMainExecutor.h"
#include "shell/ShellLog.h"
#include "shell/SingleInstance.h"
#include "shell/TerminationSignals.h"
#include "state/BrimlarkViewModel.h"
#include "state/ObjectGraph.h"
#include "tools/DeskTools.h"
#include "uninstaller/AppUninstallerScanner.h"
#include "uninstaller/RemovalHelperPath.h"
#include "uninstaller/ResidualScan.h"
#include "uninstaller/views/UninstallerServices.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QScreen>

#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>
#include <cmath>

Q_IMPORT_QML_PLUGIN(BrimlarkShellPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkToolsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkGridPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkSidebarPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkUninstallerPlugin)

int main(int argc, char *argv[])
{
    using namespace brimlark;
    ConsoleRouting::install();
    // Without a display Qt would abort with a hint to reinstall.
    if (!DisplayCheck::canStart(argc, argv)) {
        qCCritical(lcShell).noquote() << DisplayCheck::NoDisplayLine;
        return 1;
    }

    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("brimlark"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Brimlark"));
    QGuiApplication::setDesktopFileName(QStringLiteral("brimlark"));
    // Closing the window hides the application; only "Quit" ends it.
    QGuiApplication::setQuitOnLastWindowClosed(
        AppDelegate::applicationShouldTerminateAfterLastWindowClosed());

    // Before any setting is read or written: a signal that ends the program
    // goes through quit, which folds the settings journal and drains analytics.
    TerminationSignals terminationSignals;

    const QList<QUrl> urls = SingleInstance::urlsFromArguments(QGuiApplication::arguments());
    SingleInstance instance;
    if (instance.start(urls) == SingleInstance::Role::HandedOver) {
        return 0;
    }

    AnalyticsServices::install(std::make_shared<QtMainExecutor>());
    QtApplicationLifecycle lifecycle(ApplicationLifecycle::shared());

    // The device facts and the program's version reach the analytics client
    // before it starts.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        DeviceInfo::shared().setMainScreenSize(
            DeviceInfo::ScreenSize { double(size.width()), double(size.height()) });
    }
    AnalyticsManager &analytics = AnalyticsManager::shared();
    analytics.setMainBundleInfo(
        TallyDictionary { { "CFBundleShortVersionString", TallyType(BRIMLARK_VERSION) },
            { "CFBundleVersion", TallyType(BRIMLARK_VERSION) } });
    AnalyticsBridge analyticsBridge(analytics);
    BrimlarkViewModel *viewModel = nullptr;

    BrimlarkApp::Services services;
    services.initializeAnalytics = [&analytics] { analytics.initialize(); };
    services.handleURL = [&analytics](const QUrl &url) {
        analytics.handleURL(url.toString(QUrl::FullyEncoded).toStdString());
    };
    // The services the catalog and the view model are built on, made here
    // and handed in; only the process-wide ones the application names (the
    // workspace manager and storage, the icon cache, the hot key and ruler
    // managers, analytics) are also installed as shared.
    // One object per settings file: the analytics client reads and writes
    // the same standard domain through the installed one.
    const auto standardDefaults = std::make_shared<Defaults>(Defaults::standardFile());
    Defaults::installStandard(standardDefaults);
    UnavailableBiometrics biometrics;
    // Read on the GUI thread: the desktop's icon theme.
    AppWorkspace appWorkspace;
    ObjectGraph::Options wiring;
    wiring.defaults = standardDefaults;
    wiring.launcher = &appWorkspace;
    wiring.biometrics = &biometrics;
    wiring.analytics = &analyticsBridge;
    // The view model goes with the graph: after the window and the services
    // made below, before the ones it was built on.
    ObjectGraph graph(std::move(wiring));
    Defaults &defaults = graph.defaults();
    NotificationCenter &center = graph.center();
    Scheduler &scheduler = graph.scheduler();
    WorkspaceManager &workspaces = graph.workspaces();
    WorkspaceManager::installShared(workspaces);
    WorkspaceStorage &storage = graph.storage();
    WorkspaceStorage::installShared(storage);
    // Icons are decoded at the size a tile draws them (80 points) and the
    // cache holds a few screens of tiles (about 134 by 160 points each), so
    // memory follows the screen, not the number of applications.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal pixelRatio = screen ? screen->devicePixelRatio() : 1.0;
    const int tileIconPixels = int(std::ceil(80 * pixelRatio));
    const std::unique_ptr<AppIconStore> iconStore = AppIconStore::overWorkspace(appWorkspace, tileIconPixels,
        AppIconStore::cacheBytesForScreen(
            screen ? screen->size() * pixelRatio : QSize(), QSize(134, 160) * pixelRatio, tileIconPixels));
    AppIconStore &icons = *iconStore;
    AppIconStore::installShared(&icons);
    GlobalHotkeyManager hotkeys(center);
    GlobalHotkeyManager::installShared(&hotkeys);
    AppFinder &finder = graph.finder();
    AppDiscovery::Services found;
    found.iconPrefetch = [&icons](const QStringList &paths, const QList<quint64> &stamps) {
        icons.prefetchIcons(paths, stamps);
    };
    AppDiscovery discovery(finder, scheduler, std::move(found));

    services.makeViewModel = [&]() -> BrimlarkViewModel * {
        viewModel = &graph.viewModel();
        installFolderShortcutMonitor(*viewModel);
        // The first scan, then the watching of the application folders.
        discovery.scanApps();
        discovery.startMonitoring();
        return viewModel;
    };
    // Quit drains the analytics queues within a bound; aboutToQuit below
    // covers any other way the event loop ends (a second drain finds nothing).
    services.drainAnalytics = [&analytics] { analytics.shutdown(std::chrono::seconds(2)); };
    services.flushSettings = [] {
        // Values are already in their files; this makes them durable before the
        // process goes, within a bounded wait (the analytics suite included).
        if (!Defaults::flushAll()) {
            qCWarning(lcShell, "⚠️ Some settings could not be written to disk before quitting");
        }
    };

    // The uninstaller: one Trash, administrator runner and access probe for
    // the process; each uninstall sheet gets a scanner of its own.
    const QString home = QString::fromStdString(SystemPaths::home());
    const QString systemRoot = QString::fromStdString(SystemPaths::systemRoot());
    // A removal runs on the global pool and may still be waiting on an
    // administrator prompt when main returns; the pool is drained only when
    // the application object goes, so these two live for the whole process.
    static Trash *const trash = new Trash(Trash::dataHomeFor(SystemPaths::home()));
    static PkexecAdminRunner *const adminRunner = new PkexecAdminRunner(removalHelperPath());
    FolderDiskAccess diskAccess(
        [home, systemRoot] {
            std::vector<std::string> folders;
            for (const QString &folder : ResidualScan::foldersRead(home, systemRoot)) {
                folders.push_back(folder.toStdString());
            }
            return folders;
        },
        [](const std::string &folder) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
        });
    UninstallerServices uninstaller(
        [home, systemRoot] {
            AppUninstallerScanner::Services s;
            s.home = home;
            s.systemRoot = systemRoot;
            s.bundleIdentifier = [](const QString &path) -> std::optional<QString> {
                const std::optional<Bundle> bundle = Bundle::open(path);
                return bundle ? bundle->stringForInfoKey(QStringLiteral("CFBundleIdentifier")) : std::nullopt;
            };
            s.adminRunner = adminRunner;
            s.trash = trash;
            return std::make_unique<AppUninstallerScanner>(std::move(s));
        },
        diskAccess, scheduler);

    services.windowProperties.insert(
        QStringLiteral("uninstallerServices"), QVariant::fromValue(&uninstaller));
    services.prepareEngine
        = [&icons](QQmlApplicationEngine &engine) { AppIconImageProvider::install(engine, icons); };

    // The desk tools are made once over the shared stores; each of the
    // toolbar's popovers gets controllers of its own. The QR code's file goes to the private runtime
    // folder, or, without one, to a private folder of this run.
    std::string whyNoRuntimeFolder;
    const auto runtimeFolder = privateRuntimeDirectory(&whyNoRuntimeFolder);
    QTemporaryDir fallbackQrFolder;
    QString qrFolder;
    if (runtimeFolder) {
        qrFolder = QString::fromStdString(runtimeFolder->string());
    } else {
        qCWarning(lcShell, "⚠️ No private runtime folder (%s); QR codes go to a folder of this run",
            whyNoRuntimeFolder.c_str());
        qrFolder = fallbackQrFolder.path();
    }
    const std::unique_ptr<RulerManager> rulerManager = RulerManager::overStorage(storage);
    RulerManager &ruler = *rulerManager;
    RulerManager::installShared(&ruler);
    // A colour pick outlives its popover: it ends even when the popover has closed.
    const std::unique_ptr<ScreenSampler> screenSampler = ScreenSampler::create();
    DeskTools deskTools(ruler, { storage, *screenSampler, Pasteboard::general(), scheduler, qrFolder });
    services.windowProperties.insert(QStringLiteral("deskTools"), QVariant::fromValue(&deskTools));
    // The same manager the catalog and the stores follow.
    services.windowProperties.insert(QStringLiteral("workspaceManager"), QVariant::fromValue(&workspaces));
    services.delegateHooks.isRulerShowing = [&ruler] { return ruler.isRulerShowing(); };
    services.delegateHooks.registerHotKey = [&hotkeys] { hotkeys.registerHotKey(); };
    services.windowLoaded
        = [&hotkeys](std::function<QWindow *()> window) { hotkeys.setWindowProvider(std::move(window)); };

    BrimlarkApp brimlark(defaults, center, std::move(services));
    brimlark.attach(instance);
    // Logging out sends SIGTERM: the same quit as the menu's.
    brimlark.attach(terminationSignals);

    BrimlarkApp::setUpStyle();
    QQmlApplicationEngine engine;
    if (!brimlark.launch(engine)) {
        return 1;
    }
    for (const QUrl &url : urls) {
        brimlark.openURL(url);
    }
    QObject::connect(
        &app, &QCoreApplication::aboutToQuit, [&analytics] { analytics.shutdown(std::chrono::seconds(2)); });
    return app.exec();
}
