#include "analytics/AnalyticsManager.h"
#include "model/AppDiscovery.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "shell/AnalyticsBridge.h"
#include "shell/AppDelegate.h"
#include "shell/BrimlarkApp.h"
#include "shell/GlobalHotkeyManager.h"
#include "shell/MenuCommands.h"
#include "shell/TerminationSignals.h"
#include "support/ViewModelFixture.h"

#include "TestSupport.h"
#include "support/FakeRulerPresence.h"
#include "support/QmlTest.h"
#include "support/SharedIconStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace brimlark;

namespace {

// The analytics facade's calls, in order.
struct RecordingAnalytics : AnalyticsBridge
{
    RecordingAnalytics()
        : AnalyticsBridge(m_off)
    {
    }
    void start() override { steps << u"start"_qs; }
    void openURL(const QUrl &url) override { steps << url.toString(); }
    void drain() override { steps << u"drain"_qs; }

    AnalyticsManager m_off { { {}, {}, [](const std::string &) {} } };
    QStringList steps;
};

class MainWindowTest : public test::QmlTest
{
protected:
    void SetUp() override
    {
        QmlTest::SetUp();
        m_hotkeys.setOutput([this](const QString &) { ++m_hotKeyRegistrations; });
        m_app = makeApp();
        m_observer = m_viewModel.center.addObserver(Notifications::SearchFocusRequested, &m_context,
            [this](const QVariant &) { ++m_searchRequests; });
    }
    void TearDown() override
    {
        m_viewModel.center.removeObserver(m_observer);
        m_engine.reset();
        m_app.reset();
        QmlTest::TearDown();
    }

    // Scans no folder and reads no recent file.
    static AppDiscovery::Services nothingFound()
    {
        AppDiscovery::Services found;
        found.folders = [] { return QStringList(); };
        found.recentDocuments = [] { return QList<RecentDocuments::Document>(); };
        return found;
    }
    std::unique_ptr<BrimlarkApp> makeApp()
    {
        return std::make_unique<BrimlarkApp>(BrimlarkApp::Parts {
            m_viewModel.graph, m_discovery, m_analytics, m_hotkeys, test::sharedIconStore(), m_ruler });
    }

    QQuickWindow *launch()
    {
        m_engine = std::make_unique<QQmlApplicationEngine>();
        int setUps = 0;
        QObject::connect(
            &m_app->delegate(), &AppDelegate::windowSetUpFinished, &m_context, [&] { ++setUps; });
        if (!m_app->launch(*m_engine)) {
            return nullptr;
        }
        auto *window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().value(0));
        if (!window || !QTest::qWaitForWindowExposed(window)
            || !test::waitUntil([&] { return setUps == 1; })) {
            return nullptr;
        }
        window->requestActivate();
        // Window shortcuts need the window to be the focus window.
        if (!QTest::qWaitForWindowActive(window)) {
            return nullptr;
        }
        return window;
    }

    // Runs the event loop; only a quit that never comes ends it with 2.
    static int runUntilQuit()
    {
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
        guard.start(20000);
        return QCoreApplication::exec();
    }

    // What `label` reads on each entry of a menu that has one.
    static QStringList menuTexts(QObject *menu, const std::function<QObject *(QQuickItem *)> &label)
    {
        QStringList texts;
        for (int i = 0; i < menu->property("count").toInt(); ++i) {
            QQuickItem *item = nullptr;
            QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, i));
            QObject *from = item ? label(item) : nullptr;
            if (from && from->metaObject()->indexOfProperty("text") >= 0
                && !(from != item && from->property("text").toString().isEmpty())) {
                texts << from->property("text").toString();
            }
        }
        return texts;
    }

    test::ViewModelFixture m_viewModel;
    Defaults &m_defaults = m_viewModel.defaults;
    AppDiscovery m_discovery { m_viewModel.finder, m_viewModel.scheduler, nothingFound() };
    RecordingAnalytics m_analytics;
    GlobalHotkeyManager m_hotkeys { m_viewModel.center };
    test::FakeRulerPresence m_ruler;
    std::unique_ptr<BrimlarkApp> m_app;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QObject m_context;
    quint64 m_observer = 0;
    int m_hotKeyRegistrations = 0;
    int m_searchRequests = 0;
};

TEST_F(MainWindowTest, StartsAnalyticsBeforeTheWindowAndTheScanWithItAndPassesItOpenedUrls)
{
    QSignalSpy scanning(&m_viewModel.finder, &AppFinder::isScanningChanged);
    EXPECT_EQ(m_analytics.steps, QStringList { u"start"_qs });
    EXPECT_EQ(scanning.count(), 0);
    QQuickWindow *window = launch();
    ASSERT_NE(window, nullptr);
    EXPECT_GE(scanning.count(), 1);
    EXPECT_EQ(m_analytics.steps, QStringList { u"start"_qs });
    EXPECT_EQ(m_hotKeyRegistrations, 1);
    EXPECT_EQ(m_app->menuCommands().viewModel(), &m_viewModel.vm);

    // An opened address goes to analytics only.
    const QSize size = window->size();
    m_app->openURL(QUrl(u"brimlark://open?uid=abc"_qs));
    EXPECT_EQ(m_analytics.steps, (QStringList { u"start"_qs, u"brimlark://open?uid=abc"_qs }));
    EXPECT_EQ(window->size(), size);
}

TEST_F(MainWindowTest, ShowsTheSplitViewWithItsColumnsAndLimits)
{
    QQuickWindow *window = launch();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), u"brimlarkWindow"_qs);
    EXPECT_EQ(window->minimumSize(), QSize(900, 600));
    EXPECT_EQ(m_defaults.boolean(AppDelegate::HasLaunchedBeforeKey), true);

    auto *content = qobject_cast<QQuickItem *>(child(window, "contentView"));
    auto *sidebar = qobject_cast<QQuickItem *>(child(window, "sidebarColumn"));
    auto *detail = qobject_cast<QQuickItem *>(child(window, "detailColumn"));
    ASSERT_TRUE(content && sidebar && detail);
    EXPECT_TRUE(test::waitUntil([&] { return sidebar->width() == 240; }));
    EXPECT_LT(sidebar->x(), detail->x());
    EXPECT_GT(detail->width(), sidebar->width());
    EXPECT_EQ(content->height(), content->parentItem()->height());
    EXPECT_EQ(content->width(), window->width());
    QObject *attached = nullptr;
    for (QObject *c : sidebar->children()) {
        if (c->metaObject()->indexOfProperty("minimumWidth") >= 0
            && c->metaObject()->indexOfProperty("fillWidth") >= 0) {
            attached = c;
        }
    }
    ASSERT_NE(attached, nullptr);
    EXPECT_EQ(attached->property("minimumWidth").toDouble(), 220);
    EXPECT_EQ(attached->property("preferredWidth").toDouble(), 240);
    EXPECT_EQ(attached->property("maximumWidth").toDouble(), 320);
}

TEST_F(MainWindowTest, OffersTheFileAndLibraryMenus)
{
    QQuickWindow *window = launch();
    ASSERT_NE(window, nullptr);
    QObject *menuBar = child(window, "menuBar");
    ASSERT_NE(menuBar, nullptr);
    ASSERT_EQ(menuBar->property("count").toInt(), 2);

    QObject *fileMenu = child(window, "fileMenu");
    QObject *libraryMenu = child(window, "libraryMenu");
    ASSERT_TRUE(fileMenu && libraryMenu);
    EXPECT_EQ(fileMenu->property("title").toString(), u"File"_qs);
    EXPECT_EQ(libraryMenu->property("title").toString(), u"Library"_qs);
    // A menu's entries are made when it first opens.
    EXPECT_EQ(fileMenu->property("count").toInt(), 0);

    // F10 opens the bar at its first menu, and Right goes on to the next.
    QTest::keyClick(window, Qt::Key_F10);
    EXPECT_TRUE(test::waitUntil([&] { return fileMenu->property("opened").toBool(); }));
    QTest::keyClick(window, Qt::Key_Right);
    EXPECT_TRUE(test::waitUntil([&] { return libraryMenu->property("opened").toBool(); }));
    // Opened again, a menu keeps the entries it made.
    QMetaObject::invokeMethod(libraryMenu, "close");
    EXPECT_TRUE(test::waitUntil([&] { return !libraryMenu->property("visible").toBool(); }));
    QTest::keyClick(window, Qt::Key_F10);
    EXPECT_TRUE(test::waitUntil([&] { return fileMenu->property("opened").toBool(); }));

    EXPECT_EQ(fileMenu->property("count").toInt(), 3); // with the separator
    const auto entry = [](QQuickItem *item) -> QObject * { return item; };
    EXPECT_EQ(menuTexts(fileMenu, entry), (QStringList { u"Search Apps"_qs, u"Quit"_qs }));
    EXPECT_EQ(menuTexts(libraryMenu, entry),
        (QStringList { u"All Apps"_qs, u"Newly Added"_qs, u"Recents"_qs, u"Favorites"_qs }));

    // Each command shows its shortcut.
    const auto shortcut = [](QQuickItem *item) { return item->findChild<QObject *>(u"shortcutText"_qs); };
    EXPECT_EQ(menuTexts(fileMenu, shortcut), (QStringList { u"Ctrl+K"_qs, u"Ctrl+Q"_qs }));
    EXPECT_EQ(menuTexts(libraryMenu, shortcut),
        (QStringList { u"Ctrl+1"_qs, u"Ctrl+2"_qs, u"Ctrl+3"_qs, u"Ctrl+4"_qs }));
}

TEST_F(MainWindowTest, TheWindowIsTitledAfterTheSelectedSection)
{
    QQuickWindow *window = launch();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->title(), u"All Apps"_qs);
    m_viewModel.vm.setSelection(SidebarSelection::ofCategory(u"R&D <i>Tools</i>"_qs));
    EXPECT_EQ(window->title(), u"R&D <i>Tools</i>"_qs);
}

// Logging out sends SIGTERM; it once ended the process without the quit path.
// Quit (signal 0: the menu's Ctrl+Q) drains analytics, then ends the event loop.
TEST_F(MainWindowTest, QuitAndTerminationSignalsDrainAnalyticsThenEndTheEventLoop)
{
    for (const int number : { 0, SIGTERM, SIGINT, SIGHUP, SIGQUIT }) {
        m_defaults.remove(AppDelegate::WindowFrameKey);
        m_app.reset();
        m_analytics.steps.clear();
        m_app = makeApp();
        QQuickWindow *window = launch();
        ASSERT_NE(window, nullptr);
        TerminationSignals termination;
        ASSERT_TRUE(termination.isInstalled());
        m_app->attach(termination);
        window->setGeometry(QRect(QPoint(40, 30), QSize(1000 + number, 700)));
        QTimer::singleShot(0, window, [number, window] {
            if (number == 0) {
                QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
            } else {
                ::kill(::getpid(), number);
            }
        });
        EXPECT_EQ(runUntilQuit(), 0) << number;
        EXPECT_EQ(m_analytics.steps, (QStringList { u"start"_qs, u"drain"_qs })) << number;
        EXPECT_TRUE(m_defaults.contains(AppDelegate::WindowFrameKey)) << number;
        EXPECT_FALSE(window->isVisible()) << number;
        m_engine.reset();
    }
}

TEST_F(MainWindowTest, ShortcutsRunTheMenuCommands)
{
    QQuickWindow *window = launch();
    ASSERT_NE(window, nullptr);
    QTest::keyClick(window, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(m_searchRequests, 1);
    for (const Qt::Key key : { Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_1 }) {
        QTest::keyClick(window, key, Qt::ControlModifier);
    }
    // Without Ctrl the digits are plain keys.
    QTest::keyClick(window, Qt::Key_2);
    EXPECT_EQ(m_searchRequests, 1);
    EXPECT_EQ(m_viewModel.selections,
        (QStringList { u"allApps"_qs, u"newlyAdded"_qs, u"recents"_qs, u"favorites"_qs, u"allApps"_qs }));
}

// The view model asks for an activation after every Touch ID reply; nothing answered it.
TEST_F(MainWindowTest, ReopeningOrAnActivationRequestBringsTheSameWindowBack)
{
    QQuickWindow *window = launch();
    ASSERT_NE(window, nullptr);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(m_engine->rootObjects().value(0), window);
    m_app->delegate().applicationShouldHandleReopen();
    EXPECT_TRUE(window->isVisible());

    window->showMinimized();
    ASSERT_TRUE(window->windowStates() & Qt::WindowMinimized);
    emit m_viewModel.vm.windowActivationRequested();
    EXPECT_FALSE(window->windowStates() & Qt::WindowMinimized);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, ThePublishLeavesTheNewlyAddedAppsForAfterItAndTheyArrive)
{
    QQuickWindow *window = launch();
    ASSERT_NE(window, nullptr);
    // After the first frame the window is hidden, so that the publish draws no
    // tile: what it leaves for later must not wait for another frame.
    QSignalSpy swapped(window, &QQuickWindow::frameSwapped);
    window->update();
    ASSERT_TRUE(swapped.wait());
    window->hide();
    const AppItem app(u"Atlas"_qs, QUrl::fromLocalFile(u"/Applications/Atlas.app/"_qs), u"Other"_qs);
    m_viewModel.finder.publishScan({ app }, m_viewModel.finder.beginScan());
    EXPECT_FALSE(m_defaults.dictionary("AppFirstSeenDates"));
    EXPECT_TRUE(test::waitUntil([&] { return m_defaults.dictionary("AppFirstSeenDates").has_value(); }));
    EXPECT_EQ(m_defaults.stringArray(AppFinder::newlyAddedKey.toStdString()),
        std::vector<std::string> { app.urlText().toStdString() });
}
} // namespace
