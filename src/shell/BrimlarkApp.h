#pragma once

#include "shell/AppDelegate.h"
#include "shell/MenuCommands.h"

#include <QObject>
#include <QUrl>
#include <QVariantMap>

QT_BEGIN_NAMESPACE
class QQmlApplicationEngine;
class QQmlEngine;
class QQuickWindow;
QT_END_NAMESPACE

namespace brimlark {

class BrimlarkViewModel;
class AnalyticsBridge;
class AppDiscovery;
class AppIconStore;
class GlobalHotkeyManager;
class ObjectGraph;
class RulerPresence;
class SingleInstance;
class TerminationSignals;

// The application structure: owns the delegate, starts analytics before any
// window exists, builds the view model with the window's content, loads the
// window and routes opened URLs.
class BrimlarkApp : public QObject
{
    Q_OBJECT
public:
    // What the application starts; each part outlives it.
    struct Parts
    {
        // The settings, the notification centre and the view model.
        ObjectGraph &graph;
        // Its first scan and the folder watch start with the window.
        AppDiscovery &discovery;
        AnalyticsBridge &analytics;
        GlobalHotkeyManager &hotkeys;
        // The tiles' image provider reads it.
        AppIconStore &icons;
        // A reopen while the screen ruler shows is posted.
        const RulerPresence &ruler;
    };

    explicit BrimlarkApp(Parts parts, QObject *parent = nullptr);
    ~BrimlarkApp() override;

    static QUrl mainQmlUrl();
    // The Controls style of the views and the text's antialiasing; before
    // the first window is made.
    static void setUpStyle();
    static constexpr const char *textAntialiasingVariable = "QSG_DISTANCEFIELD_ANTIALIASING";
    // What every engine that shows the shell's QML needs.
    static void prepareEngine(QQmlEngine &engine);

    // Builds the view model, starts the catalog's scan, loads the window
    // with the view model and the further objects it is handed by property
    // name (the desk tools, the uninstaller's services), and finishes
    // launching. False when the window could not be made.
    bool launch(QQmlApplicationEngine &engine, QVariantMap windowProperties = {});

    // Every URL the application is asked to open goes to analytics, and
    // nothing else happens with it.
    void openURL(const QUrl &url);

    // A second start of brimlark reopens the window and opens its URLs.
    void attach(SingleInstance &instance);
    // SIGTERM and SIGINT quit as "Quit" does.
    void attach(TerminationSignals &termination);

    // "Quit": ends the process (closing the window only hides it). The
    // delegate stores the window's frame and lets the window close, the
    // analytics queues drain and the settings reach the disk, then the event
    // loop ends.
    void quit();

    AppDelegate &delegate() { return m_delegate; }
    // The window's menu commands; the QML singleton of every engine launched.
    MenuCommands &menuCommands() { return m_menuCommands; }

private:
    void buildViewModel();
    void deferCatalogWorkPastFirstFrame(QQuickWindow &window);
    void applicationWillTerminate();

    Parts m_parts;
    bool m_terminated = false;
    AppDelegate m_delegate;
    MenuCommands m_menuCommands;
    BrimlarkViewModel *m_viewModel = nullptr;
};

} // namespace brimlark
