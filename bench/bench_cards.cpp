// The card grids, offscreen: the real grid view with its toolbar in a
// window, over 500 applications in 12 categories and folders of six
// applications each.
//
// BM_SwitchToCategory/<folders>: All Apps from "A to Z" to "Category", until
// the next frame is swapped with the unified grid of the folders' and the
// categories' cards (15 folders: 27 cards; 300 folders: 312).
//
// BM_UnlockIntoHiddenFolders/<folders>: the hidden section's unlock screen
// turns into the section of that many hidden folders' cards, from the unlock
// to the next frame (the password check itself is not timed).
//
// The counters give the slowest change and how many cards were built.

#include "BenchMain.h"
#include "model/AppFinder.h"
#include "platform/core/BundleUrl.h"
#include "platform/gui/AppIconImageProvider.h"
#include "platform/gui/AppWorkspace.h"
#include "shell/BrimlarkApp.h"
#include "state/BrimlarkViewModel.h"
#include "state/HiddenItemsLock.h"
#include "state/ObjectGraph.h"
#include "support/SharedIconStore.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>

Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkToolsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkGridPlugin)

using namespace brimlark;

namespace {

constexpr int AppCount = 500;

// The grid view in a window over a catalog of its own.
class CardWindow
{
public:
    CardWindow(int folders, bool hidden)
        : m_graph(options())
    {
        QList<AppItem> apps;
        for (int i = 0; i < AppCount; ++i) {
            const QString name = QStringLiteral("App %1").arg(i, 4, 10, QChar(u'0'));
            apps << AppItem(name,
                BundleUrl::directoryUrl(QStringLiteral("/Applications/") + name + QStringLiteral(".app")),
                QStringLiteral("Category %1").arg(i % 12));
        }
        AppFinder &finder = m_graph.finder();
        finder.publishScan(apps, finder.beginScan());
        BrimlarkViewModel &vm = m_graph.viewModel();
        for (int i = 0; i < folders; ++i) {
            const QUuid id = finder.createFolder(
                QStringLiteral("Folder %1").arg(i), QStringLiteral("folder"), QStringLiteral("#336699"));
            for (int k = 0; k < 6; ++k) {
                if (const auto folder = vm.folder(id)) {
                    finder.addAppToFolder(apps[(i * 7 + k) % AppCount], *folder);
                }
            }
            if (hidden) {
                vm.hideFolderGlobally(*vm.folder(id));
            }
        }

        BrimlarkApp::prepareEngine(m_engine);
        AppIconImageProvider::install(m_engine, test::sharedIconStore());
        QQmlComponent component(&m_engine, QUrl(QStringLiteral("qrc:/Brimlark/Grid/AppGridView.qml")));
        m_content.reset(qobject_cast<QQuickItem *>(component.createWithInitialProperties(
            { { QStringLiteral("viewModel"), QVariant::fromValue<QObject *>(&vm) } })));
        if (!m_content) {
            m_error = component.errorString();
            return;
        }
        m_window.resize(1200, 800);
        m_content->setParentItem(m_window.contentItem());
        m_content->setSize(QSizeF(1200, 800));
        QObject::connect(
            &m_window, &QQuickWindow::frameSwapped, &m_window, [this] { m_swapped = true; },
            Qt::DirectConnection);
        m_window.show();
        frameAfter([] {});
    }

    QString error() const { return m_error; }
    BrimlarkViewModel &viewModel() { return m_graph.viewModel(); }
    AppFinder &finder() { return m_graph.finder(); }

    // Milliseconds from the change to the next frame swapped.
    double frameAfter(const std::function<void()> &change)
    {
        QEventLoop loop;
        QObject::connect(
            &m_window, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        m_swapped = false;
        QElapsedTimer clock;
        clock.start();
        change();
        if (!m_swapped) {
            loop.exec();
        }
        return double(clock.nsecsElapsed()) / 1e6;
    }

    int cardsBuilt() const { return cardsUnder(m_content.get()); }

private:
    static int cardsUnder(const QQuickItem *item)
    {
        int count = item->objectName() == QLatin1String("categoryCard") ? 1 : 0;
        const QList<QQuickItem *> children = item->childItems();
        for (const QQuickItem *child : children) {
            count += cardsUnder(child);
        }
        return count;
    }

    ObjectGraph::Options options()
    {
        ObjectGraph::Options wiring;
        wiring.launcher = &m_workspace;
        return wiring;
    }

    AppWorkspace m_workspace;
    ObjectGraph m_graph;
    QQmlEngine m_engine;
    std::unique_ptr<QQuickItem> m_content;
    QQuickWindow m_window;
    bool m_swapped = false;
    QString m_error;
};

void BM_SwitchToCategory(benchmark::State &state)
{
    CardWindow window(int(state.range(0)), false);
    if (!window.error().isEmpty()) {
        state.SkipWithError(qPrintable(window.error()));
        return;
    }
    double slowest = 0;
    for (auto _ : state) {
        window.frameAfter([&] { window.finder().setAllAppsSortOption(AppSortOption::nameAscending); });
        const double ms
            = window.frameAfter([&] { window.finder().setAllAppsSortOption(AppSortOption::category); });
        slowest = std::max(slowest, ms);
        state.SetIterationTime(ms / 1e3);
    }
    state.counters["max_ms"] = slowest;
    state.counters["cards_built"] = window.cardsBuilt();
}

void BM_UnlockIntoHiddenFolders(benchmark::State &state)
{
    CardWindow window(int(state.range(0)), true);
    if (!window.error().isEmpty()) {
        state.SkipWithError(qPrintable(window.error()));
        return;
    }
    HiddenItemsLock &lock = *window.viewModel().hiddenItemsLock();
    bool stored = false;
    lock.setSecurityPassword(
        QStringLiteral("pw"), false, [&stored](bool, std::optional<QString>) { stored = true; });
    QElapsedTimer wait;
    wait.start();
    while (!stored && wait.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    window.viewModel().selectSection(SidebarSelection::Kind::hidden);
    double slowest = 0;
    for (auto _ : state) {
        window.frameAfter([&] { lock.lock(); });
        const double ms = window.frameAfter([&] { lock.setUnlocked(true); });
        slowest = std::max(slowest, ms);
        state.SetIterationTime(ms / 1e3);
    }
    state.counters["max_ms"] = slowest;
    state.counters["cards_built"] = window.cardsBuilt();
}

BENCHMARK(BM_SwitchToCategory)
    ->Arg(15)
    ->Arg(300)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_UnlockIntoHiddenFolders)
    ->Arg(150)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

BRIMLARK_BENCHMARK_MAIN(brimlark::bench::ViewsApplication)
