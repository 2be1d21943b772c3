// The catalog queries the view model runs on every keystroke: sorting 2,000
// applications by each option and the folder queries over 200 folders. Each
// result is reported beside a plain loop that walks and copies the same names
// (the floor), as the ratio "x_floor".

#include "BenchMain.h"
#include "model/AppFinder.h"
#include "platform/base/Defaults.h"
#include "platform/core/BundleUrl.h"
#include "state/ObjectGraph.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

using namespace brimlark;

namespace {

constexpr int kApps = 2000;
constexpr int kFolders = 200;
constexpr int kAppsPerFolder = 10;

struct Catalog
{
    ObjectGraph graph { [] {
        ObjectGraph::Options o;
        o.fileDates = [](const QString &) { return std::optional<AppFinder::FileDates>(); };
        return o;
    }() };
    AppFinder *finder = &graph.finder();
    QList<AppItem> shuffled;

    Catalog()
    {
        static const char *const words[] = { "Photo", "Note", "Mail", "Code", "Music", "Map", "Chess", "Book",
            "Clock", "Draw", "Écran", "Zoom", "studio", "pad", "Pro", "Lite" };
        static const char *const categories[] = { "Productivity", "Games", "Utilities", "Developer Tools",
            "Graphics Design", "Music", "Education", "Other" };
        std::mt19937 random(42);
        QList<AppItem> apps;
        for (int i = 0; i < kApps; ++i) {
            const QString name = QString::fromUtf8(words[random() % 16]) + u' '
                + QString::fromUtf8(words[random() % 16]) + u' ' + QString::number(i);
            const QString folder
                = i % 3 == 0 ? QStringLiteral("/Users/me/Applications") : QStringLiteral("/Applications");
            apps << AppItem(name, BundleUrl::directoryUrl(folder + u'/' + name + QStringLiteral(".app")),
                QString::fromUtf8(categories[random() % 8]));
        }
        std::sort(
            apps.begin(), apps.end(), [](const AppItem &a, const AppItem &b) { return a.name() < b.name(); });
        finder->publishScan(apps, finder->beginScan());
        for (int i = 0; i < 7; ++i) {
            finder->addToRecents(apps[i * 97]);
        }
        for (int f = 0; f < kFolders; ++f) {
            finder->createFolder(
                QStringLiteral("Folder %1").arg(f), QStringLiteral("folder"), QStringLiteral("#007AFF"));
        }
        const QList<AppFolder> folders = finder->folders();
        for (int f = 0; f < folders.size(); ++f) {
            for (int k = 0; k < kAppsPerFolder; ++k) {
                finder->addAppToFolder(apps[(f * 37 + k * 11) % kApps], folders[f]);
            }
        }
        shuffled = apps;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
    }

    static Catalog &shared()
    {
        static Catalog catalog;
        return catalog;
    }
};

// The floors: walk the names and build an output list of the same size.
QList<AppItem> floorApps(const QList<AppItem> &apps, qsizetype &total)
{
    QList<AppItem> out;
    out.reserve(apps.size());
    for (const auto &a : apps) {
        total += a.name().size();
        out << a;
    }
    return out;
}

QList<AppFolder> floorFolders(const QList<AppFolder> &folders, qsizetype &total)
{
    QList<AppFolder> out;
    out.reserve(folders.size());
    for (const auto &f : folders) {
        total += f.name.size();
        out << f;
    }
    return out;
}

template <typename Op> double secondsPerCall(Op op)
{
    using clock = std::chrono::steady_clock;
    constexpr int rounds = 200;
    for (int i = 0; i < 20; ++i) {
        op();
    }
    const auto start = clock::now();
    for (int i = 0; i < rounds; ++i) {
        op();
    }
    return std::chrono::duration<double>(clock::now() - start).count() / rounds;
}

double appFloor()
{
    static const double seconds = secondsPerCall([] {
        qsizetype total = 0;
        benchmark::DoNotOptimize(floorApps(Catalog::shared().shuffled, total));
        benchmark::DoNotOptimize(total);
    });
    return seconds;
}

double folderFloor()
{
    static const double seconds = secondsPerCall([] {
        qsizetype total = 0;
        benchmark::DoNotOptimize(floorFolders(Catalog::shared().finder->folders(), total));
        benchmark::DoNotOptimize(total);
    });
    return seconds;
}

template <typename Op> void run(benchmark::State &state, double floor, Op op)
{
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(op());
    }
    const double perCall
        = std::chrono::duration<double>(clock::now() - start).count() / double(state.iterations());
    state.counters["floor_us"] = floor * 1e6;
    state.counters["x_floor"] = perCall / floor;
}

void BM_FloorAppNames(benchmark::State &state)
{
    const auto &apps = Catalog::shared().shuffled;
    run(state, appFloor(), [&] {
        qsizetype total = 0;
        auto out = floorApps(apps, total);
        benchmark::DoNotOptimize(total);
        return out;
    });
}
BENCHMARK(BM_FloorAppNames)->Unit(benchmark::kMicrosecond);

void BM_GetSortedApps(benchmark::State &state)
{
    auto &catalog = Catalog::shared();
    const auto option = AppSortOptions::allCases().at(state.range(0));
    catalog.finder->setAllAppsSortOption(option);
    state.SetLabel(AppSortOptions::text(option).toStdString());
    run(state, appFloor(), [&] { return catalog.finder->getSortedApps(catalog.shuffled); });
}
BENCHMARK(BM_GetSortedApps)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_FloorFolderNames(benchmark::State &state)
{
    const auto &folders = Catalog::shared().finder->folders();
    run(state, folderFloor(), [&] {
        qsizetype total = 0;
        auto out = floorFolders(folders, total);
        benchmark::DoNotOptimize(total);
        return out;
    });
}
BENCHMARK(BM_FloorFolderNames)->Unit(benchmark::kMicrosecond);

void BM_GetRootFolders(benchmark::State &state)
{
    auto &finder = *Catalog::shared().finder;
    run(state, folderFloor(), [&] { return finder.getRootFolders(); });
}
BENCHMARK(BM_GetRootFolders)->Unit(benchmark::kMicrosecond);

void BM_GetChildFolders(benchmark::State &state)
{
    auto &finder = *Catalog::shared().finder;
    const QUuid parent = finder.folders().first().id;
    run(state, folderFloor(), [&] { return finder.getChildFolders(parent); });
}
BENCHMARK(BM_GetChildFolders)->Unit(benchmark::kMicrosecond);

void BM_GetAppsInEveryFolder(benchmark::State &state)
{
    // 200 folders of 10 applications: 2,000 items out, like the app floor.
    auto &finder = *Catalog::shared().finder;
    run(state, appFloor(), [&] {
        qsizetype count = 0;
        for (const auto &folder : finder.folders()) {
            count += finder.getAppsInFolder(folder).size();
        }
        return count;
    });
}
BENCHMARK(BM_GetAppsInEveryFolder)->Unit(benchmark::kMicrosecond);

} // namespace

BRIMLARK_BENCHMARK_MAIN(QCoreApplication)
