// Discovery speed: scanning 1,000 bundles against a bare loop that only lists
// the folders and reads each Info.plist, prefetching 1,000 icons, and a first
// start's publish of 10,000 applications.

#include "BenchMain.h"
#include "model/AppDiscovery.h"
#include "model/AppFinder.h"
#include "model/AppScanner.h"
#include "platform/base/Defaults.h"
#include "platform/base/SystemPaths.h"
#include "platform/core/BundleUrl.h"
#include "platform/core/Scheduler.h"
#include "platform/gui/AppIconStore.h"
#include "platform/gui/AppWorkspace.h"
#include "state/ObjectGraph.h"
#include "support/BundleFixtures.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

using namespace brimlark;

namespace {
constexpr int BundleCount = 1000;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray infoPlist(int i, bool binary)
{
    return test::infoPlist({ { QStringLiteral("CFBundleName"), QStringLiteral("App %1").arg(i) },
                               { QStringLiteral("CFBundleIdentifier"), QStringLiteral("org.example.bench") },
                               { QStringLiteral("CFBundleExecutable"), QStringLiteral("run") },
                               { QStringLiteral("CFBundleIconFile"), QStringLiteral("AppIcon.png") },
                               { QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0") },
                               { QStringLiteral("LSApplicationCategoryType"),
                                   i % 3 ? QStringLiteral("public.app-category.productivity")
                                         : QStringLiteral("public.app-category.games") } },
        binary);
}

// 1,000 bundles over the three folders, each with a 128 px PNG icon.
class Fixture
{
public:
    static Fixture &shared()
    {
        static Fixture fixture;
        return fixture;
    }
    QStringList folders() const { return AppScanner::applicationFolders(); }
    QStringList bundlePaths() const { return m_paths; }

private:
    Fixture()
    {
        const QString home = m_dir.path() + QStringLiteral("/home");
        const QString root = m_dir.path() + QStringLiteral("/root");
        QDir().mkpath(home);
        QDir().mkpath(root);
        SystemPaths::overrideRoots(home.toStdString(), root.toStdString());
        const QStringList folders = AppScanner::applicationFolders();
        for (int i = 0; i < BundleCount; ++i) {
            const QString folder = folders[i % 10 < 6 ? 0 : (i % 10 < 7 ? 1 : 2)];
            const QString bundle
                = folder + QStringLiteral("/Bench App %1.app").arg(i, 4, 10, QLatin1Char('0'));
            writeFile(bundle + QStringLiteral("/Contents/Info.plist"), infoPlist(i, i % 2 == 0));
            QImage icon(128, 128, QImage::Format_ARGB32);
            icon.fill(QColor::fromHsv(i % 360, 160, 220));
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            icon.save(&buffer, "PNG");
            writeFile(bundle + QStringLiteral("/Contents/Resources/AppIcon.png"), png);
            m_paths << bundle;
        }
    }
    QTemporaryDir m_dir;
    QStringList m_paths;
};

// The floor: list each folder and read each bundle's category from its list.
int bareListAndRead(const QStringList &folders)
{
    int found = 0;
    for (const QString &folder : folders) {
        const QStringList entries = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &name : entries) {
            if (!name.endsWith(QStringLiteral(".app"))) {
                continue;
            }
            QFile file(folder + u'/' + name + QStringLiteral("/Contents/Info.plist"));
            if (!file.open(QIODevice::ReadOnly)) {
                continue;
            }
            const QByteArray bytes = file.readAll();
            plist_t root = nullptr;
            plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
            if (root) {
                if (plist_t item = plist_dict_get_item(root, "LSApplicationCategoryType")) {
                    char *value = nullptr;
                    plist_get_string_val(item, &value);
                    found += value ? 1 : 0;
                    std::free(value);
                }
                plist_free(root);
            }
        }
    }
    return found;
}

struct Catalog
{
    ObjectGraph graph;
    AppFinder &finder = graph.finder();
    // Where the latest scan's time went, on one clock: the request, the
    // scanner's start and end on the pool, the catalog's announcement of the
    // new list (the end of its publish step, one change) and the return to
    // the event loop.
    QElapsedTimer clock;
    qint64 requested = 0;
    std::atomic<qint64> scannerStarted { 0 };
    std::atomic<qint64> scannerEnded { 0 };
    qint64 listAssigned = 0;
    qint64 published = 0;
    AppDiscovery discovery { finder, graph.scheduler(), timedServices() };

    Catalog()
    {
        clock.start();
        QObject::connect(&finder, &AppFinder::appsChanged, [this] { listAssigned = clock.nsecsElapsed(); });
    }
    // The discovery's own services, with the scanner timed.
    AppDiscovery::Services timedServices()
    {
        AppDiscovery::Services services;
        services.scanner = [this](const QStringList &folders, NewlyAddedTracker::ScanDates *dates) {
            scannerStarted = clock.nsecsElapsed();
            QList<AppItem> apps = AppScanner::scan(folders, dates);
            scannerEnded = clock.nsecsElapsed();
            return apps;
        };
        return services;
    }

    // One scan from request to the end of its publish step: the pass on the
    // discovery's pool, then the publish on this (the main) thread. The main
    // thread sleeps in an event loop meanwhile, as the application's does;
    // processEvents() with a time limit never waits for events, and a main
    // thread spinning in it takes CPU time from the pool thread whenever the
    // machine is busy.
    void scanAndPublish()
    {
        QEventLoop loop;
        const auto connection
            = QObject::connect(&finder, &AppFinder::isScanningChanged, &loop, [this, &loop] {
                  if (!finder.isScanning()) {
                      loop.quit();
                  }
              });
        requested = clock.nsecsElapsed();
        discovery.scanApps();
        if (finder.isScanning()) {
            loop.exec();
        }
        published = clock.nsecsElapsed();
        QObject::disconnect(connection);
    }
};

void BM_BareListAndRead(benchmark::State &state)
{
    const QStringList folders = Fixture::shared().folders();
    bareListAndRead(folders); // warm the file cache
    for (auto _ : state) {
        benchmark::DoNotOptimize(bareListAndRead(folders));
    }
    state.counters["bundles"] = BundleCount;
}
BENCHMARK(BM_BareListAndRead)->Unit(benchmark::kMillisecond);

void BM_ScanAndPublish(benchmark::State &state)
{
    Fixture::shared();
    Catalog catalog;
    catalog.scanAndPublish();
    for (auto _ : state) {
        catalog.scanAndPublish();
    }
    state.counters["apps"] = double(catalog.finder.apps().size());
}
BENCHMARK(BM_ScanAndPublish)->Unit(benchmark::kMillisecond);

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::nth_element(values.begin(), values.begin() + qsizetype(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// Both, alternating in one run, so machine noise hits them alike: the bare
// loop on the main thread, then a scan from scanApps() to the end of its
// publish step. Target: ratio (scan and publish over the bare loop) at most
// 1.5; ratio_median compares the medians, which a stray slow pass moves less.
void BM_ScanVersusBareLoop(benchmark::State &state)
{
    const QStringList folders = Fixture::shared().folders();
    Catalog catalog;
    catalog.scanAndPublish();
    bareListAndRead(folders);
    std::vector<double> bareMs;
    std::vector<double> scanMs;
    // The scan's phases: request to the scanner's start, the scanner, its end
    // to the catalog's announcement on the main thread (the file dates and
    // ranks on the pool, the hop, the publish step), and the rest.
    std::vector<double> startMs;
    std::vector<double> scannerMs;
    std::vector<double> handOverMs;
    std::vector<double> publishMs;
    auto ms = [](qint64 from, qint64 to) { return double(to - from) / 1e6; };
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(bareListAndRead(folders));
        bareMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        catalog.scanAndPublish();
        scanMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        startMs.push_back(ms(catalog.requested, catalog.scannerStarted));
        scannerMs.push_back(ms(catalog.scannerStarted, catalog.scannerEnded));
        handOverMs.push_back(ms(catalog.scannerEnded, catalog.listAssigned));
        publishMs.push_back(ms(catalog.listAssigned, catalog.published));
    }
    double bareTotal = 0;
    double scanTotal = 0;
    for (size_t i = 0; i < bareMs.size(); ++i) {
        bareTotal += bareMs[i];
        scanTotal += scanMs[i];
    }
    const double n = double(state.iterations());
    state.counters["bare_ms"] = bareTotal / n;
    state.counters["scan_ms"] = scanTotal / n;
    state.counters["ratio"] = bareTotal > 0 ? scanTotal / bareTotal : 0.0;
    const double bareMedian = median(bareMs);
    state.counters["ratio_median"] = bareMedian > 0 ? median(scanMs) / bareMedian : 0.0;
    state.counters["med_start_ms"] = median(startMs);
    state.counters["med_scanner_ms"] = median(scannerMs);
    state.counters["med_handover_ms"] = median(handOverMs);
    state.counters["med_publish_ms"] = median(publishMs);
}
BENCHMARK(BM_ScanVersusBareLoop)->Unit(benchmark::kMillisecond)->Iterations(40);

// Prefetching 1,000 icons: the call's own time on the main thread, the
// longest the main thread's event loop waited meanwhile, and the cache's
// bytes against its bound.
void BM_Prefetch1000Icons(benchmark::State &state)
{
    const QStringList paths = Fixture::shared().bundlePaths();
    AppWorkspace workspace(AppWorkspace::IconThemeOptions {});
    double callUs = 0;
    double worstStallMs = 0;
    double cacheMiB = 0;
    double cached = 0;
    double boundMiB = 0;
    for (auto _ : state) {
        AppIconStore store(
            [&workspace](const QString &path, int size) { return workspace.iconForFile(path, size); });
        QElapsedTimer timer;
        timer.start();
        store.prefetchIcons(paths);
        callUs = std::max(callUs, double(timer.nsecsElapsed()) / 1e3);

        // A 1 ms heartbeat on the main thread while the pool decodes.
        QElapsedTimer beat;
        beat.start();
        QTimer heartbeat;
        heartbeat.setInterval(1);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            worstStallMs = std::max(worstStallMs, double(beat.nsecsElapsed()) / 1e6);
            beat.restart();
        });
        heartbeat.start();
        while (!store.waitForDone(0)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 2);
        }
        heartbeat.stop();
        cacheMiB = double(store.cache().totalBytes()) / (1024.0 * 1024.0);
        boundMiB = double(store.cache().maxBytes()) / (1024.0 * 1024.0);
        cached = double(store.cache().count());
        if (store.cache().totalBytes() > store.cache().maxBytes()) {
            state.SkipWithError("cache over its bound");
        }
    }
    state.counters["prefetch_call_us"] = callUs;
    state.counters["main_worst_gap_ms"] = worstStallMs;
    state.counters["cache_MiB"] = cacheMiB;
    state.counters["cache_bound_MiB"] = boundMiB;
    state.counters["icons_cached"] = cached;
}
BENCHMARK(BM_Prefetch1000Icons)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace

namespace {
// The parts of a scan on their own, here on the main thread: the pass the
// pool runs (the scanner with the file dates, then the collation ranks for
// the publish step), and the catalog's publish step.
void BM_ScannerOnly(benchmark::State &state)
{
    const QStringList folders = Fixture::shared().folders();
    for (auto _ : state) {
        NewlyAddedTracker::ScanDates dates;
        benchmark::DoNotOptimize(AppScanner::scan(folders, &dates));
    }
}
BENCHMARK(BM_ScannerOnly)->Unit(benchmark::kMillisecond);

void BM_PrepareScanOnly(benchmark::State &state)
{
    const auto apps = AppScanner::scan(Fixture::shared().folders());
    for (auto _ : state) {
        benchmark::DoNotOptimize(AppFinder::prepareScan(apps, {}));
    }
}
BENCHMARK(BM_PrepareScanOnly)->Unit(benchmark::kMillisecond);

struct Publisher
{
    ObjectGraph graph;
    AppFinder &finder = graph.finder();
};

// What the main thread does for a scan the discovery prepared.
void BM_PublishOnly(benchmark::State &state)
{
    const auto apps = AppScanner::scan(Fixture::shared().folders());
    const auto details = AppFinder::prepareScan(apps, &AppFinder::systemFileDates);
    Publisher p;
    p.finder.publishScan(apps, p.finder.beginScan(), details);
    for (auto _ : state) {
        p.finder.publishScan(apps, p.finder.beginScan(), details);
    }
}
BENCHMARK(BM_PublishOnly)->Unit(benchmark::kMillisecond);

// A bare list handed in: the dates are read and the names collated on the
// main thread.
void BM_PublishWithoutScanDetails(benchmark::State &state)
{
    const auto apps = AppScanner::scan(Fixture::shared().folders());
    Publisher p;
    p.finder.publishScan(apps, p.finder.beginScan());
    for (auto _ : state) {
        p.finder.publishScan(apps, p.finder.beginScan());
    }
}
BENCHMARK(BM_PublishWithoutScanDetails)->Unit(benchmark::kMillisecond);

// A first start's publish of 10,000 applications: settings on disk with no
// first-seen dates yet, so every application is stamped and newly added. The
// publish itself is timed; the newly added applications it leaves for after
// the window's first frame are timed apart (deferred_ms).
void BM_FirstStartPublish10k(benchmark::State &state)
{
    constexpr int count = 10000;
    QList<AppItem> apps;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Application %1").arg(i, 5, 10, QLatin1Char('0'));
        apps << AppItem(name, BundleUrl::directoryUrl(QStringLiteral("/Applications/%1.app").arg(name)),
            QStringLiteral("Category %1").arg(i % 7));
    }
    AppFinder::ScanDetails details = AppFinder::prepareScan(apps, {});
    const QDateTime created = QDateTime::currentDateTimeUtc().addDays(-100);
    for (int i = 0; i < count; ++i) {
        details.fileDates.insert(apps.at(i).id(), AppFinder::FileDates { created.addSecs(i), std::nullopt });
    }
    std::vector<double> deferred;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir home;
        ObjectGraph::Options options;
        options.defaults = std::make_shared<Defaults>(
            std::filesystem::path(home.filePath(QStringLiteral("settings.plist")).toStdString()));
        ObjectGraph graph(options);
        std::vector<std::function<void()>> later;
        graph.finder().setDeferral(
            [&later](std::function<void()> task) { later.push_back(std::move(task)); });
        const quint64 generation = graph.finder().beginScan();
        state.ResumeTiming();
        graph.finder().publishScan(apps, generation, details);
        state.PauseTiming();
        QElapsedTimer timer;
        timer.start();
        for (const auto &task : later) {
            task();
        }
        deferred.push_back(double(timer.nsecsElapsed()) / 1e6);
        state.ResumeTiming();
    }
    std::sort(deferred.begin(), deferred.end());
    state.counters["deferred_ms"] = deferred.empty() ? 0 : deferred[deferred.size() / 2];
}
BENCHMARK(BM_FirstStartPublish10k)->Unit(benchmark::kMillisecond)->Iterations(5);
} // namespace

BRIMLARK_BENCHMARK_MAIN(QCoreApplication)
