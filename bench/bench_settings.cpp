// Settings writes as the catalog makes them, timed on the calling (GUI)
// thread: a domain holding 1,000 applications and 200 folders, each write
// beside a bare rename() of a file of the same size, and workspace switches.

#include "platform/base/Defaults.h"
#include "platform/core/BundleUrl.h"
#include "state/ObjectGraph.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace brimlark;
using Clock = std::chrono::steady_clock;

namespace {

struct Summary
{
    double p50 = 0;
    double p99 = 0;
    double max = 0;
};

Summary summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    auto at = [&ms](double q) { return ms[std::min(ms.size() - 1, std::size_t(q * double(ms.size())))]; };
    return { at(0.50), at(0.99), ms.back() };
}

double timeMs(const std::function<void()> &step)
{
    const auto start = Clock::now();
    step();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void print(const char *name, const Summary &s)
{
    std::printf("%-44s p50 %8.3f ms   p99 %8.3f ms   max %8.3f ms\n", name, s.p50, s.p99, s.max);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "standard.plist";
    ObjectGraph graph({ .defaults = std::make_shared<Defaults>(file) });
    const std::shared_ptr<Defaults> &defaults = graph.sharedDefaults();
    WorkspaceManager &workspaces = graph.workspaces();
    workspaces.createWorkspace(QStringLiteral("Second"), QStringLiteral("star"), QStringLiteral("#FF0000"));
    AppFinder &finder = graph.finder();

    QList<AppItem> apps;
    for (int i = 0; i < 1000; ++i) {
        const QString name = QStringLiteral("App %1").arg(i, 4, 10, QLatin1Char('0'));
        apps << AppItem(name,
            BundleUrl::directoryUrl(QStringLiteral("/Applications/") + name + QStringLiteral(".app")),
            QStringLiteral("Productivity"));
    }
    finder.publishScan(apps, finder.beginScan());
    for (int i = 0; i < 200; ++i) {
        finder.createFolder(
            QStringLiteral("Folder %1").arg(i), QStringLiteral("folder"), QStringLiteral("#007AFF"));
    }
    const QList<AppFolder> folders = finder.folders();
    for (int i = 0; i < 1000; ++i) {
        finder.addAppToFolder(apps[i], folders[i % folders.size()]);
    }
    defaults->flush();
    const auto fileBytes = std::filesystem::file_size(file);
    std::printf("settings domain: %llu bytes, 1,000 applications, 200 folders\n",
        static_cast<unsigned long long>(fileBytes));

    // The catalog's writes: a launch (recents), a favourite, a folder edit.
    std::vector<double> writes;
    std::vector<double> kinds[3];
    for (int i = 0; i < 300; ++i) {
        kinds[0].push_back(timeMs([&] { finder.addToRecents(apps[(i * 7) % apps.size()]); }));
        kinds[1].push_back(timeMs([&] { finder.toggleFavorite(apps[(i * 13) % apps.size()]); }));
        kinds[2].push_back(
            timeMs([&] { finder.renameFolder(folders[i % folders.size()], QStringLiteral("R%1").arg(i)); }));
    }
    for (const auto &kind : kinds) {
        writes.insert(writes.end(), kind.begin(), kind.end());
    }
    const Summary write = summarise(writes);
    print("catalog settings write (GUI thread)", write);
    print("  a launch (recents)", summarise(kinds[0]));
    print("  a favourite", summarise(kinds[1]));
    print("  a folder edit", summarise(kinds[2]));
    {
        std::vector<double> sets;
        const auto folderKey = workspaces.perWorkspaceKey(QStringLiteral("AppFolders")).toStdString();
        const auto value = *defaults->object(folderKey);
        for (int i = 0; i < 300; ++i) {
            sets.push_back(timeMs([&] { defaults->set(folderKey, value); }));
        }
        std::printf("  folder list: %zu bytes\n", value.asData() ? value.asData()->size() : 0);
        print("  of which one set() of the folder list", summarise(sets));
        std::vector<double> small;
        for (int i = 0; i < 300; ++i) {
            small.push_back(timeMs([&] { defaults->set("bench.small", i); }));
        }
        print("  one set() of an integer", summarise(small));
    }

    // The floor: a rename() of a file of the same size, nothing else.
    const std::string bytes(fileBytes, 'x');
    const auto bare = file.parent_path() / "bare";
    auto tmp = bare;
    tmp += ".tmp";
    std::vector<double> renames;
    for (int i = 0; i < 300; ++i) {
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
            std::perror("write");
            return 1;
        }
        ::close(fd);
        renames.push_back(timeMs([&] { ::rename(tmp.c_str(), bare.c_str()); }));
    }
    print("bare rename() of a file of that size", summarise(renames));

    // Workspace switches: every stall the GUI thread sees.
    const QUuid first = workspaces.workspaces().at(0).id;
    const QUuid second = workspaces.workspaces().at(1).id;
    std::vector<double> switches;
    for (int i = 0; i < 100; ++i) {
        switches.push_back(timeMs([&] { workspaces.setActiveWorkspaceID(i % 2 ? first : second); }));
    }
    const Summary workspaceSwitch = summarise(switches);
    print("workspace switch, 1,000 applications", workspaceSwitch);

    // A start's load of a domain holding a first start's newly added
    // applications at 10,000: every first-seen date, and the same URL list.
    {
        QTemporaryDir large;
        const auto largeFile = std::filesystem::path(large.path().toStdString()) / "standard.plist";
        {
            Defaults domain(largeFile);
            DefaultsValue::Dictionary stamps;
            std::vector<std::string> urls;
            for (int i = 0; i < 10000; ++i) {
                urls.push_back("file:///Applications/Application%20" + std::to_string(i) + ".app/");
                stamps.emplace(urls.back(), DefaultsValue(7.5e8 + i));
            }
            domain.set("AppFirstSeenDates", DefaultsValue(std::move(stamps)));
            domain.setStrings("NewlyAddedAppURLs", urls);
        }
        std::vector<double> loads;
        for (int i = 0; i < 20; ++i) {
            std::unique_ptr<Defaults> domain;
            loads.push_back(timeMs([&] { domain = std::make_unique<Defaults>(largeFile); }));
        }
        print("domain load, 10,000 newly added applications", summarise(loads));
    }

    const bool flushed = defaults->flush();
    const bool ok = write.p99 <= 1.0 && workspaceSwitch.max < 16.0 && flushed;
    std::printf(
        "targets: write p99 <= 1 ms, every switch < 16 ms, flush at the end: %s\n", ok ? "met" : "MISSED");
    return 0;
}
