#include "shell/BrimlarkApp.h"

#include "model/AppDiscovery.h"
#include "platform/base/Defaults.h"
#include "platform/gui/AppIconImageProvider.h"
#include "shell/AnalyticsBridge.h"
#include "shell/ApplicationWindows.h"
#include "shell/FolderShortcutMonitor.h"
#include "shell/FrameLog.h"
#include "shell/GlobalHotkeyManager.h"
#include "shell/ShellLog.h"
#include "shell/SingleInstance.h"
#include "shell/TerminationSignals.h"
#include "state/BrimlarkViewModel.h"
#include "state/ObjectGraph.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace brimlark {

BrimlarkApp::BrimlarkApp(Parts parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_delegate(parts.graph.defaults(), parts.graph.center(), parts.hotkeys, parts.ruler)
    , m_menuCommands(&parts.graph.center(), nullptr)
{
    // Analytics starts, and records its start-up events, before any window.
    m_parts.analytics.start();
    // However the event loop is asked to end, the quit steps run first.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, &BrimlarkApp::applicationWillTerminate);
    }
}

BrimlarkApp::~BrimlarkApp()
{
    // The catalog outlives this object, which its deferral runs through.
    m_parts.graph.finder().setDeferral({});
}

QUrl BrimlarkApp::mainQmlUrl()
{
    return QUrl(QStringLiteral("qrc:/Brimlark/Shell/Main.qml"));
}

void BrimlarkApp::setUpStyle()
{
    // A desktop look that every control of the views can be restyled in.
    QQuickStyle::setStyle(QStringLiteral("Fusion"));
    // Text in grey antialiasing. The scene graph's own choice, subpixel
    // antialiasing, assumes a screen's subpixel order whatever the screen,
    // fringes every glyph in colour, and samples each glyph pixel several
    // times on every frame: a fifth of an idle frame's drawing. Read when the
    // first window is made; a choice in the environment stays.
    if (qEnvironmentVariableIsEmpty(textAntialiasingVariable)) {
        qputenv(textAntialiasingVariable, "gray");
    }
}

void BrimlarkApp::prepareEngine(QQmlEngine &engine)
{
    engine.addImportPath(QStringLiteral("qrc:/"));
    // The system's font list is read once per process, the first time a text
    // is laid out; read on a pool thread while the QML loads, it is ready
    // when the window's texts are made.
    static const bool fontsRequested = [] {
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            return false;
        }
        QThreadPool::globalInstance()->start([] { QFontDatabase::families(); });
        return true;
    }();
    Q_UNUSED(fontsRequested);
}

void BrimlarkApp::buildViewModel()
{
    m_viewModel = &m_parts.graph.viewModel();
    installFolderShortcutMonitor(*m_viewModel);
    // The first scan, then the watching of the application folders.
    m_parts.discovery.scanApps();
    m_parts.discovery.startMonitoring();
    m_menuCommands.setViewModel(m_viewModel);
    m_menuCommands.setQuitHandler([this] { quit(); });
    // After each Touch ID reply the window comes back in front of whatever
    // the prompt left there.
    connect(m_viewModel, &BrimlarkViewModel::windowActivationRequested, this,
        [this] { ApplicationWindows::bringForward(m_delegate.window(), true); });
}

bool BrimlarkApp::launch(QQmlApplicationEngine &engine, QVariantMap windowProperties)
{
    if (!m_viewModel) {
        buildViewModel();
    }
    windowProperties.insert(QStringLiteral("viewModel"), QVariant::fromValue(m_viewModel));
    engine.setInitialProperties(windowProperties);
    prepareEngine(engine);
    m_menuCommands.attachTo(engine);
    AppIconImageProvider::install(engine, m_parts.icons);
    engine.load(mainQmlUrl());
    QQuickWindow *window = nullptr;
    const QList<QObject *> roots = engine.rootObjects();
    for (QObject *root : roots) {
        if ((window = qobject_cast<QQuickWindow *>(root))) {
            break;
        }
    }
    if (!window) {
        return false;
    }
    // The frames' record the benchmarks ask for; the grid changes with the
    // filtered applications.
    if (FrameLog *frames = FrameLog::fromEnvironment(*window)) {
        connect(m_viewModel, &BrimlarkViewModel::filteredAppsChanged, frames, &FrameLog::contentChanged);
    }
    deferCatalogWorkPastFirstFrame(*window);
    // The hot key brings this window forward.
    m_parts.hotkeys.setWindow(window);
    m_delegate.applicationDidFinishLaunching(window);
    return true;
}

void BrimlarkApp::deferCatalogWorkPastFirstFrame(QQuickWindow &window)
{
    // What the catalog leaves for later (the newly added applications) waits
    // for the window's first frame, which a start's first publish may come
    // before; from then on it runs on the next turn of the event loop.
    struct Waiting
    {
        bool shown = false;
        std::vector<std::function<void()>> tasks;
        QMetaObject::Connection firstFrame;
    };
    auto waiting = std::make_shared<Waiting>();
    // Swapped on the render thread; run here, on the main thread.
    waiting->firstFrame = connect(&window, &QQuickWindow::frameSwapped, this, [waiting] {
        disconnect(waiting->firstFrame);
        waiting->shown = true;
        for (const auto &task : std::exchange(waiting->tasks, {})) {
            task();
        }
    });
    m_parts.graph.finder().setDeferral([this, waiting](std::function<void()> task) {
        if (waiting->shown) {
            QTimer::singleShot(0, this, std::move(task));
        } else {
            waiting->tasks.push_back(std::move(task));
        }
    });
}

void BrimlarkApp::openURL(const QUrl &url)
{
    m_parts.analytics.openURL(url);
}

void BrimlarkApp::attach(SingleInstance &instance)
{
    connect(&instance, &SingleInstance::reopenRequested, this,
        [this] { m_delegate.applicationShouldHandleReopen(); });
    connect(&instance, &SingleInstance::urlOpened, this, &BrimlarkApp::openURL);
}

void BrimlarkApp::attach(TerminationSignals &termination)
{
    connect(&termination, &TerminationSignals::received, this, &BrimlarkApp::quit);
}

void BrimlarkApp::quit()
{
    applicationWillTerminate();
    QCoreApplication::quit();
}

void BrimlarkApp::applicationWillTerminate()
{
    if (m_terminated) {
        return;
    }
    m_terminated = true;
    m_delegate.applicationWillTerminate();
    // Stamps the catalog still owes its settings go in before they are flushed.
    m_parts.graph.finder().runDeferredWork();
    // The analytics client's queues first: they may still write settings.
    m_parts.analytics.drain();
    // Values are already in their files; this makes them durable before the
    // process goes, within a bounded wait (the analytics suite included).
    if (!Defaults::flushAll()) {
        qCWarning(lcShell, "⚠️ Some settings could not be written to disk before quitting");
    }
}

} // namespace brimlark
