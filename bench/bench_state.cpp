// Refiltering after a keystroke: 2,000 applications and 200 folders, for All
// Apps, a category and a folder, each beside a plain substring loop over the
// same names. The counters give the median per refilter and its ratio to the
// plain loop; the target is a median under 1 ms. Beside them, a rescan's
// publish of the same catalog with one application more or less, from the
// catalog to the grid's tiles: one catalog change, one refilter, one row
// step in the grid.

#include "BenchMain.h"
#include "grid/AppGridController.h"
#include "model/AppFinder.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/Biometrics.h"
#include "platform/core/BundleUrl.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/Scheduler.h"
#include "platform/gui/AppWorkspace.h"
#include "state/BrimlarkViewModel.h"
#include "state/ObjectGraph.h"
#include "support/ManualScheduler.h"
#include "support/StoredFolders.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

using namespace brimlark;

namespace {

constexpr int appCount = 2000;
constexpr int folderCount = 200;
constexpr int appsPerFolder = 12;
constexpr int categoryCount = 24;

// What one keystroke after another gives while a name is typed and erased.
const QStringList keystrokes = { QStringLiteral("s"), QStringLiteral("st"), QStringLiteral("sta"),
    QStringLiteral("stud"), QStringLiteral("st"), QStringLiteral("o"), QStringLiteral("or"),
    QStringLiteral("ore"), QStringLiteral("e"), QString() };

QString makeName(std::mt19937 &rng, int i)
{
    static const char *syllables[] = { "sta", "ro", "qua", "mi", "lo", "ver", "tex", "pad", "ore", "dio",
        "nu", "ka", "sel", "fi", "tra", "gon", "bel", "zu" };
    std::uniform_int_distribution<int> pick(0, int(std::size(syllables)) - 1);
    std::uniform_int_distribution<int> length(2, 4);
    QString name;
    const int n = length(rng);
    for (int s = 0; s < n; ++s) {
        name += QString::fromLatin1(syllables[pick(rng)]);
    }
    name[0] = name[0].toUpper();
    return name + QStringLiteral(" %1").arg(i);
}

struct Fixture
{
    ManualScheduler scheduler;
    AppWorkspace workspace;
    ObjectGraph graph { [this] {
        ObjectGraph::Options o;
        o.scheduler = &scheduler;
        o.clock = [] { return QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC); };
        o.fileDates = [](const QString &) { return std::nullopt; };
        o.launcher = &workspace;
        return o;
    }() };
    AppFinder &finder = graph.finder();
    BrimlarkViewModel *vm = nullptr;
    QStringList names;
    AppFolder folder;
    QString category;

    Fixture()
    {
        std::mt19937 rng(42);
        QList<AppItem> apps;
        for (int i = 0; i < appCount; ++i) {
            const QString name = makeName(rng, i);
            names << name;
            apps << AppItem(name, BundleUrl::directoryUrl(QStringLiteral("/Applications/%1.app").arg(name)),
                QStringLiteral("Category %1").arg(i % categoryCount));
        }
        std::sort(apps.begin(), apps.end(), [](const AppItem &a, const AppItem &b) {
            return a.name().compare(b.name(), Qt::CaseInsensitive) < 0;
        });
        finder.publishScan(apps, finder.beginScan());
        for (int f = 0; f < folderCount; ++f) {
            finder.createFolder(
                QStringLiteral("Folder %1").arg(f), QStringLiteral("folder"), QStringLiteral("#336699"));
        }
        QList<AppFolder> folders = finder.folders();
        for (int f = 0; f < folders.size(); ++f) {
            for (int k = 0; k < appsPerFolder; ++k) {
                folders[f].appURLs << apps[(f * 7 + k * 13) % appCount].urlText();
            }
        }
        test::storeFolders(graph.defaults(), graph.workspaces(), finder, folders);
        for (int i = 0; i < appCount; i += 50) {
            finder.hideApp(apps[i]);
        }

        vm = &graph.viewModel();
        folder = finder.folders().at(folderCount / 2);
        category = QStringLiteral("Category 3");
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0.0 : samples[samples.size() / 2];
}

// The plain loop: a case-insensitive substring test over every name.
double plainLoopSeconds(const QString &query)
{
    const auto &names = fixture().names;
    const auto start = std::chrono::steady_clock::now();
    qsizetype hits = 0;
    for (const auto &name : names) {
        hits += name.contains(query, Qt::CaseInsensitive) ? 1 : 0;
    }
    benchmark::DoNotOptimize(hits);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double plainLoopMedian()
{
    static const double value = [] {
        std::vector<double> samples;
        for (int round = 0; round < 200; ++round) {
            for (const auto &q : keystrokes) {
                if (!q.isEmpty()) {
                    samples.push_back(plainLoopSeconds(q));
                }
            }
        }
        return median(samples);
    }();
    return value;
}

void runKeystrokes(benchmark::State &state, const std::optional<SidebarSelection> &selection)
{
    auto &f = fixture();
    f.vm->setSelection(selection);
    f.vm->setSearchQuery(QString());
    std::vector<double> samples;
    qsizetype i = 0;
    for (auto _ : state) {
        const QString &q = keystrokes[i++ % keystrokes.size()];
        const auto start = std::chrono::steady_clock::now();
        f.vm->setSearchQuery(q);
        const double seconds
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        benchmark::DoNotOptimize(f.vm->filteredApps().size());
    }
    // Let the pending search reports go without sending anything.
    f.scheduler.advance(std::chrono::seconds(3));
    const double m = median(samples);
    state.counters["median_us"] = m * 1e6;
    state.counters["plain_loop_us"] = plainLoopMedian() * 1e6;
    state.counters["ratio_to_plain_loop"] = plainLoopMedian() > 0 ? m / plainLoopMedian() : 0;
    state.counters["under_1ms"] = m < 1e-3 ? 1 : 0;
}

void BM_RefilterAllApps(benchmark::State &state)
{
    runKeystrokes(state, SidebarSelection(SidebarSelection::Kind::allApps));
}

void BM_RefilterCategory(benchmark::State &state)
{
    runKeystrokes(state, SidebarSelection::ofCategory(fixture().category));
}

void BM_RefilterFolder(benchmark::State &state)
{
    runKeystrokes(state, SidebarSelection::ofFolder(fixture().folder));
}

void BM_PlainSubstringLoop(benchmark::State &state)
{
    qsizetype i = 0;
    std::vector<double> samples;
    for (auto _ : state) {
        QString q = keystrokes[i++ % (keystrokes.size() - 1)];
        const double seconds = plainLoopSeconds(q);
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
    }
    state.counters["median_us"] = median(samples) * 1e6;
}

// A rescan published into the catalog until the grid shows it: the scan's
// list alternates between the catalog and the catalog with one application
// fewer, so each publish is one removal or one insertion of a tile.
void BM_PublishToGrid(benchmark::State &state)
{
    auto &f = fixture();
    f.vm->setSelection(SidebarSelection(SidebarSelection::Kind::allApps));
    f.vm->setSearchQuery(QString());
    AppGridController grid;
    grid.setViewModel(f.vm);
    const QList<AppItem> full = f.finder.apps();
    const QList<AppItem> fewer = full.mid(1);
    int changes = 0;
    int refilters = 0;
    const auto countChanges = QObject::connect(&f.finder, &AppFinder::changed, [&] { ++changes; });
    const auto countRefilters = QObject::connect(f.vm, &BrimlarkViewModel::refiltered, [&] { ++refilters; });
    std::vector<double> samples;
    qsizetype i = 0;
    for (auto _ : state) {
        const QList<AppItem> &apps = i++ % 2 == 0 ? fewer : full;
        const quint64 generation = f.finder.beginScan();
        changes = 0;
        refilters = 0;
        const auto start = std::chrono::steady_clock::now();
        f.finder.publishScan(apps, generation);
        const double seconds
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        benchmark::DoNotOptimize(grid.apps()->count());
    }
    QObject::disconnect(countChanges);
    QObject::disconnect(countRefilters);
    f.finder.publishScan(full, f.finder.beginScan());
    const double m = median(samples);
    state.counters["median_us"] = m * 1e6;
    state.counters["plain_loop_us"] = plainLoopMedian() * 1e6;
    state.counters["ratio_to_plain_loop"] = plainLoopMedian() > 0 ? m / plainLoopMedian() : 0;
    state.counters["catalog_changes"] = changes;
    state.counters["refilters"] = refilters;
}

} // namespace

BENCHMARK(BM_RefilterAllApps)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefilterCategory)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefilterFolder)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSubstringLoop)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PublishToGrid)->UseManualTime()->Unit(benchmark::kMicrosecond);

BRIMLARK_BENCHMARK_MAIN(QCoreApplication)
