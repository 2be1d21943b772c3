#include "shell/BrimlarkApp.h"

#include "state/BrimlarkViewModel.h"

#include "shell/ApplicationWindows.h"
#include "shell/FrameLog.h"
#include "shell/SingleInstance.h"
#include "shell/TerminationSignals.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPointer>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QThreadPool>

namespace brimlark {

BrimlarkApp::BrimlarkApp(Defaults &defaults, NotificationCenter &center, Services services, QObject *parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_delegate(defaults, center, m_services.delegateHooks)
    , m_menuCommands(&center, nullptr)
{
    // main() attaches the analytics facade and the view model; a structure
    // built without them (tests) starts nothing and its commands do nothing.
    if (!m_services.initializeAnalytics) {
        m_services.initializeAnalytics = [] {};
    }
    if (!m_services.handleURL) {
        m_services.handleURL = [](const QUrl &) {};
    }
    if (!m_services.makeViewModel) {
        m_services.makeViewModel = []() -> BrimlarkViewModel * { return nullptr; };
    }
    // Analytics starts, and records its start-up events, before any window.
    m_services.initializeAnalytics();
    // However the event loop is asked to end, the quit hooks run first.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, &BrimlarkApp::applicationWillTerminate);
    }
}

BrimlarkApp::~BrimlarkApp() = default;

QUrl BrimlarkApp::mainQmlUrl()
{
    return QUrl(QStringLiteral("qrc:/Brimlark/Shell/Main.qml"));
}

void BrimlarkApp::setUpStyle()
{
    // A desktop look that every control of the views can be restyled in.
    QQuickStyle::setStyle(QStringLiteral("Fusion"));
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

bool BrimlarkApp::launch(QQmlApplicationEngine &engine)
{
    if (!m_viewModelBuilt) {
        m_viewModel = m_services.makeViewModel();
        m_viewModelBuilt = true;
        m_menuCommands.setViewModel(m_viewModel);
        m_menuCommands.setQuitHandler([this] { quit(); });
        QVariantMap properties = m_services.windowProperties;
        if (m_viewModel) {
            properties.insert(QStringLiteral("viewModel"), QVariant::fromValue(m_viewModel));
        }
        if (!properties.isEmpty()) {
            engine.setInitialProperties(properties);
        }
    }
    prepareEngine(engine);
    m_menuCommands.attachTo(engine);
    if (m_services.prepareEngine) {
        m_services.prepareEngine(engine);
    }
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
    if (FrameLog *frames = FrameLog::fromEnvironment(*window); frames && m_viewModel) {
        connect(m_viewModel, &BrimlarkViewModel::filteredAppsChanged, frames, &FrameLog::contentChanged);
    }
    QPointer<QQuickWindow> guarded(window);
    // After each Touch ID reply the window comes back in front of whatever
    // the prompt left there.
    if (m_viewModel && !m_activationConnected) {
        m_activationConnected = true;
        connect(m_viewModel, &BrimlarkViewModel::windowActivationRequested, this, [guarded] {
            if (guarded) {
                ApplicationWindows::bringForward(guarded.data(), true);
            }
        });
    }
    if (m_services.windowLoaded) {
        m_services.windowLoaded([guarded]() -> QWindow * { return guarded.data(); });
    }
    m_delegate.applicationDidFinishLaunching();
    return true;
}

void BrimlarkApp::openURL(const QUrl &url)
{
    m_services.handleURL(url);
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
    if (m_services.drainAnalytics) {
        m_services.drainAnalytics();
    }
    if (m_services.flushSettings) {
        m_services.flushSettings();
    }
}

} // namespace brimlark
