// Discovery speed: scanning 1,000 bundles against a bare loop that only lists
// the folders and reads each Info.plist, and prefetching 1,000 icons.

#include "model/AppDiscovery.h"
#include "model/AppFinder.h"
#include "model/AppScanner.h"
#include "model/WorkspaceManager.h"
#include "platform/AppIconStore.h"
#include "platform/AppWorkspace.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/SystemPaths.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>

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
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "CFBundleName", plist_new_string(QByteArray("App ").append(QByteArray::number(i)).constData()));
    plist_dict_set_item(dict, "CFBundleIdentifier", plist_new_string("org.example.bench"));
    plist_dict_set_item(dict, "CFBundleExecutable", plist_new_string("run"));
    plist_dict_set_item(dict, "CFBundleIconFile", plist_new_string("AppIcon.png"));
    plist_dict_set_item(dict, "CFBundleShortVersionString", plist_new_string("1.0"));
    plist_dict_set_item(dict, "LSApplicationCategoryType",
                        plist_new_string(i % 3 ? "public.app-category.productivity" : "public.app-category.games"));
    char *out = nullptr;
    uint32_t length = 0;
    if (binary) {
        plist_to_bin(dict, &out, &length);
    } else {
        plist_to_xml(dict, &out, &length);
    }
    QByteArray bytes(out, qsizetype(length));
    std::free(out);
    plist_free(dict);
    return bytes;
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
            const QString bundle = folder + QStringLiteral("/Bench App %1.app").arg(i, 4, 10, QLatin1Char('0'));
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
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces{defaults, center};
    AppFinder finder{defaults, workspaces, center};
    AppDiscovery discovery{finder};

    // One scan from request to the end of its publish step.
    void scanAndPublish()
    {
        finder.scanApps();
        while (finder.isScanning()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        }
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

// Both, alternating in one run, so machine noise hits them alike. Target:
// ratio (scan and publish over the bare loop) at most 1.5.
void BM_ScanVersusBareLoop(benchmark::State &state)
{
    const QStringList folders = Fixture::shared().folders();
    Catalog catalog;
    catalog.scanAndPublish();
    bareListAndRead(folders);
    qint64 bareNs = 0;
    qint64 scanNs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(bareListAndRead(folders));
        bareNs += timer.nsecsElapsed();
        timer.restart();
        catalog.scanAndPublish();
        scanNs += timer.nsecsElapsed();
    }
    const double n = double(state.iterations());
    state.counters["bare_ms"] = double(bareNs) / n / 1e6;
    state.counters["scan_ms"] = double(scanNs) / n / 1e6;
    state.counters["ratio"] = bareNs > 0 ? double(scanNs) / double(bareNs) : 0.0;
}
BENCHMARK(BM_ScanVersusBareLoop)->Unit(benchmark::kMillisecond)->Iterations(20);

// Prefetching 1,000 icons: the call's own time on the main thread, the
// longest the main thread's event loop waited meanwhile, and the cache's
// bytes against its bound.
void BM_Prefetch1000Icons(benchmark::State &state)
{
    const QStringList paths = Fixture::shared().bundlePaths();
    AppWorkspace workspace(AppWorkspace::IconThemeOptions{});
    double callUs = 0;
    double worstStallMs = 0;
    double cacheMiB = 0;
    double cached = 0;
    double boundMiB = 0;
    for (auto _ : state) {
        AppIconStore store([&workspace](const QString &path, int size) { return workspace.iconForFile(path, size); });
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
// The two parts of a scan on their own: the background pass and the
// catalog's publish step on the main thread.
void BM_ScannerOnly(benchmark::State &state)
{
    const QStringList folders = Fixture::shared().folders();
    for (auto _ : state) {
        benchmark::DoNotOptimize(AppScanner::scan(folders));
    }
}
BENCHMARK(BM_ScannerOnly)->Unit(benchmark::kMillisecond);

void BM_PublishOnly(benchmark::State &state)
{
    const auto apps = AppScanner::scan(Fixture::shared().folders());
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces{defaults, center};
    AppFinder finder{defaults, workspaces, center};
    finder.publishScan(apps, finder.beginScan());
    for (auto _ : state) {
        finder.publishScan(apps, finder.beginScan());
    }
}
BENCHMARK(BM_PublishOnly)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
