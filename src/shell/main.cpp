#include "analytics/AnalyticsManager.h"
#include "analytics/AnalyticsServices.h"
#include "analytics/ApplicationLifecycle.h"
#include "model/AppDiscovery.h"
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
#include "platform/core/Scheduler.h"
#include "platform/gui/AppIconStore.h"
#include "platform/gui/AppWorkspace.h"
#include "platform/gui/Pasteboard.h"
#include "platform/gui/ScreenSampler.h"
#include "shell/AnalyticsBridge.h"
#include "shell/BrimlarkApp.h"
#include "shell/ConsoleRouting.h"
#include "shell/DisplayCheck.h"
#include "shell/GlobalHotkeyManager.h"
#include "shell/QtApplicationLifecycle.h"
#include "shell/QtMainExecutor.h"
#include "shell/ShellLog.h"
#include "shell/SingleInstance.h"
#include "shell/TerminationSignals.h"
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

namespace {

using namespace brimlark;

void nameTheApplication()
{
    QGuiApplication::setApplicationName(QStringLiteral("brimlark"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Brimlark"));
    QGuiApplication::setDesktopFileName(QStringLiteral("brimlark"));
    // Closing the window hides the application; only "Quit" ends it.
    QGuiApplication::setQuitOnLastWindowClosed(
        AppDelegate::applicationShouldTerminateAfterLastWindowClosed());
}

// The device facts and the program's version reach the analytics client
// before it starts.
void describeDevice(AnalyticsManager &analytics)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        DeviceInfo::shared().setMainScreenSize(
            DeviceInfo::ScreenSize { double(size.width()), double(size.height()) });
    }
    analytics.setMainBundleInfo(
        TallyDictionary { { "CFBundleShortVersionString", TallyType(BRIMLARK_VERSION) },
            { "CFBundleVersion", TallyType(BRIMLARK_VERSION) } });
}

// Icons are decoded at the size a tile draws them (80 points) and the cache
// holds a few screens of tiles (about 134 by 160 points each), so memory
// follows the screen, not the number of applications.
std::unique_ptr<AppIconStore> iconStoreForScreen(AppWorkspace &workspace)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal pixelRatio = screen ? screen->devicePixelRatio() : 1.0;
    const int tileIconPixels = int(std::ceil(80 * pixelRatio));
    return AppIconStore::overWorkspace(workspace, tileIconPixels,
        AppIconStore::cacheBytesForScreen(
            screen ? screen->size() * pixelRatio : QSize(), QSize(134, 160) * pixelRatio, tileIconPixels));
}

// The uninstaller: one Trash, administrator runner and access probe for the
// process; each uninstall sheet gets a scanner of its own.
struct Uninstaller
{
    explicit Uninstaller(Scheduler &scheduler)
        : services(makeScanner, diskAccess, scheduler)
    {
    }

    static std::vector<std::string> foldersRead()
    {
        std::vector<std::string> folders;
        for (const QString &folder : ResidualScan::foldersRead(home(), systemRoot())) {
            folders.push_back(folder.toStdString());
        }
        return folders;
    }
    static void openFolder(const std::string &folder)
    {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
    }
    static std::unique_ptr<AppUninstallerScanner> makeScanner()
    {
        // A removal runs on the global pool and may still be waiting on an
        // administrator prompt when main returns; the pool is drained only
        // when the application object goes, so these two live for the whole
        // process.
        static Trash *const trash = new Trash(Trash::dataHomeFor(SystemPaths::home()));
        static PkexecAdminRunner *const adminRunner = new PkexecAdminRunner(removalHelperPath());
        AppUninstallerScanner::Services s;
        s.home = home();
        s.systemRoot = systemRoot();
        s.bundleIdentifier = [](const QString &path) -> std::optional<QString> {
            const std::optional<Bundle> bundle = Bundle::open(path);
            return bundle ? bundle->stringForInfoKey(QStringLiteral("CFBundleIdentifier")) : std::nullopt;
        };
        s.adminRunner = adminRunner;
        s.trash = trash;
        return std::make_unique<AppUninstallerScanner>(std::move(s));
    }
    static QString home() { return QString::fromStdString(SystemPaths::home()); }
    static QString systemRoot() { return QString::fromStdString(SystemPaths::systemRoot()); }

    FolderDiskAccess diskAccess { foldersRead, openFolder };
    UninstallerServices services;
};

// The QR code's file goes to the private runtime folder, or, without one, to
// the private folder of this run given.
QString qrCodeFolder(const QTemporaryDir &ofThisRun)
{
    std::string whyNoRuntimeFolder;
    if (const auto runtimeFolder = privateRuntimeDirectory(&whyNoRuntimeFolder)) {
        return QString::fromStdString(runtimeFolder->string());
    }
    qCWarning(lcShell, "⚠️ No private runtime folder (%s); QR codes go to a folder of this run",
        whyNoRuntimeFolder.c_str());
    return ofThisRun.path();
}

// The desk tools, made once over the shared stores (the ruler's manager is
// installed as shared); each of the toolbar's popovers gets controllers of
// its own.
struct Desk
{
    Desk(WorkspaceStorage &storage, Scheduler &scheduler)
        : ruler(RulerManager::overStorage(storage))
        , tools(*ruler,
              { storage, *screenSampler, Pasteboard::general(), scheduler, qrCodeFolder(qrFolderOfThisRun) })
    {
        RulerManager::installShared(ruler.get());
    }

    const std::unique_ptr<RulerManager> ruler;
    // A colour pick outlives its popover: it ends even when the popover has closed.
    const std::unique_ptr<ScreenSampler> screenSampler = ScreenSampler::create();
    const QTemporaryDir qrFolderOfThisRun;
    DeskTools tools;
};

} // namespace

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
    nameTheApplication();

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
    describeDevice(AnalyticsManager::shared());
    AnalyticsBridge analytics(AnalyticsManager::shared());

    // The objects the application names process-wide are installed as shared;
    // the rest is handed down. One object per settings file: the analytics
    // client reads and writes the same standard domain through this one.
    const auto standardDefaults = std::make_shared<Defaults>(Defaults::standardFile());
    Defaults::installStandard(standardDefaults);
    UnavailableBiometrics biometrics;
    // Read on the GUI thread: the desktop's icon theme.
    AppWorkspace appWorkspace;
    // The graph, and the view model it makes with the window, goes after the
    // services made below.
    ObjectGraph graph({ .defaults = standardDefaults,
        .launcher = &appWorkspace,
        .biometrics = &biometrics,
        .analytics = &analytics });
    WorkspaceManager::installShared(graph.workspaces());
    WorkspaceStorage::installShared(graph.storage());
    const std::unique_ptr<AppIconStore> icons = iconStoreForScreen(appWorkspace);
    AppIconStore::installShared(icons.get());
    GlobalHotkeyManager hotkeys(graph.center());
    GlobalHotkeyManager::installShared(&hotkeys);
    AppDiscovery::Services found;
    found.iconPrefetch = [&icons](const QStringList &paths, const QList<quint64> &stamps) {
        icons->prefetchIcons(paths, stamps);
    };
    AppDiscovery discovery(graph.finder(), graph.scheduler(), std::move(found));
    Uninstaller uninstaller(graph.scheduler());
    Desk desk(graph.storage(), graph.scheduler());

    BrimlarkApp brimlark({ graph, discovery, analytics, hotkeys, *icons, *desk.ruler });
    brimlark.attach(instance);
    // Logging out sends SIGTERM: the same quit as the menu's.
    brimlark.attach(terminationSignals);

    BrimlarkApp::setUpStyle();
    QQmlApplicationEngine engine;
    // The workspace manager is the same one the catalog and the stores follow.
    if (!brimlark.launch(engine,
            { { QStringLiteral("deskTools"), QVariant::fromValue(&desk.tools) },
                { QStringLiteral("uninstallerServices"), QVariant::fromValue(&uninstaller.services) },
                { QStringLiteral("workspaceManager"), QVariant::fromValue(&graph.workspaces()) } })) {
        return 1;
    }
    for (const QUrl &url : urls) {
        brimlark.openURL(url);
    }
    return app.exec();
}
