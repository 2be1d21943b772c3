#pragma once

#include "shell/AppDelegate.h"
#include "shell/MenuCommands.h"

#include <QList>
#include <QObject>
#include <QUrl>
#include <QVariantMap>

#include <functional>

QT_BEGIN_NAMESPACE
class QQmlApplicationEngine;
class QQmlEngine;
class QWindow;
QT_END_NAMESPACE

namespace brimlark {

class BrimlarkViewModel;
class Defaults;
class NotificationCenter;
class SingleInstance;
class TerminationSignals;

// The application structure: owns the delegate, starts analytics before any
// window exists, builds the view model with the window's content, loads the
// window and routes opened URLs.
class BrimlarkApp : public QObject
{
    Q_OBJECT
public:
    // The services the application structure starts. Each one that is not
    // given does nothing (see BrimlarkApp.cpp for what is not attached yet).
    struct Services
    {
        std::function<void()> initializeAnalytics;
        std::function<void(const QUrl &url)> handleURL;
        // Builds the process's one view model; called once, when the
        // window's content is built. The result lives as long as the process
        // and is handed to the window as its "viewModel" property.
        std::function<BrimlarkViewModel *()> makeViewModel;
        // Further objects the window is handed at load time, by property
        // name (the desk tools, the uninstaller's services).
        QVariantMap windowProperties;
        // Called with the engine before the window loads (image providers).
        std::function<void(QQmlApplicationEngine &engine)> prepareEngine;
        // Called once the window has loaded, with a way to find it later (the
        // hot key brings it forward).
        std::function<void(std::function<QWindow *()> window)> windowLoaded;
        AppDelegate::Hooks delegateHooks;
        // Run once when the application quits, before the event loop ends
        // and statics go, in this order: the analytics client's queues are
        // drained with a bounded wait (they may still write settings), then
        // the settings reach the disk.
        std::function<void()> drainAnalytics;
        std::function<void()> flushSettings;
    };

    // The delegate keeps the window's frame in the defaults; the delegate and
    // the menu commands post to the centre. Both outlive the application.
    BrimlarkApp(
        Defaults &defaults, NotificationCenter &center, Services services = {}, QObject *parent = nullptr);
    ~BrimlarkApp() override;

    static QUrl mainQmlUrl();
    // The Controls style of the views; before the first engine loads.
    static void setUpStyle();
    // What every engine that shows the shell's QML needs.
    static void prepareEngine(QQmlEngine &engine);

    // Builds the view model, loads the window and finishes launching. False
    // when the window could not be made.
    bool launch(QQmlApplicationEngine &engine);

    // Every URL the application is asked to open goes to analytics, and
    // nothing else happens with it.
    void openURL(const QUrl &url);

    // A second start of brimlark reopens the window and opens its URLs.
    void attach(SingleInstance &instance);
    // SIGTERM and SIGINT quit as "Quit" does.
    void attach(TerminationSignals &termination);

    // "Quit": ends the process (closing the window only hides it). The
    // delegate stores the window's frame and lets the window close, the
    // quit hooks run, then the event loop ends.
    void quit();

    AppDelegate &delegate() { return m_delegate; }
    // The window's menu commands; the QML singleton of every engine launched.
    MenuCommands &menuCommands() { return m_menuCommands; }
    BrimlarkViewModel *viewModel() const { return m_viewModel; }

private:
    void applicationWillTerminate();

    Services m_services;
    bool m_terminated = false;
    AppDelegate m_delegate;
    MenuCommands m_menuCommands;
    BrimlarkViewModel *m_viewModel = nullptr;
    bool m_viewModelBuilt = false;
    bool m_activationConnected = false;
};

} // namespace brimlark
