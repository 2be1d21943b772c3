// Residual scan of a 50,000-file Library tree beside a bare du-like walk of
// the same tree (target: at most 2x), and the longest stall of the GUI
// thread's event loop while the scanner runs.
#include "uninstaller/AppUninstallerScanner.h"
#include "uninstaller/ResidualScan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ftw.h>
#include <sys/stat.h>

using namespace brimlark;

namespace {

constexpr int s_files = 50000;
constexpr int s_perFolder = 100;
constexpr int s_runs = 5;

long long s_duTotal = 0;

int addSize(const char *, const struct stat *st, int type, FTW *)
{
    if (type == FTW_F) {
        s_duTotal += st->st_size;
    }
    return 0;
}

void makeTree(const QString &home)
{
    // Most files sit in the application's caches and support folders, the
    // rest in unrelated folders the scan lists but does not descend.
    const char *folders[] = { "Library/Caches/com.acme.foo", "Library/Application Support/Foo",
        "Library/Caches/org.other.app", "Library/Logs/Foo" };
    for (int i = 0; i < s_files; ++i) {
        const QString dir = home + QLatin1Char('/') + QLatin1String(folders[(i / s_perFolder) % 4])
            + QStringLiteral("/d") + QString::number(i / (s_perFolder * 4));
        if (i % s_perFolder == 0) {
            QDir().mkpath(dir);
        }
        QFile f(dir + QStringLiteral("/f") + QString::number(i));
        if (f.open(QIODevice::WriteOnly)) {
            f.write(QByteArray(i % 512, 'x'));
        }
    }
}

template <typename F> double bestMs(F work)
{
    double best = 1e18;
    for (int r = 0; r < s_runs; ++r) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString home = dir.path() + QStringLiteral("/home");
    const QString root = dir.path() + QStringLiteral("/root");
    QDir().mkpath(root + QStringLiteral("/Applications/Foo.app/Contents"));
    makeTree(home);

    const QByteArray library = QFile::encodeName(home + QStringLiteral("/Library"));
    const double du = bestMs([&] {
        s_duTotal = 0;
        nftw(library.constData(), addSize, 64, FTW_PHYS);
    });
    ResidualScan::Input input { QStringLiteral("Foo"), root + QStringLiteral("/Applications/Foo.app"),
        QStringLiteral("com.acme.foo"), home, root, [](const QByteArray &) { return true; }, {} };
    qint64 found = 0;
    const double scan = bestMs([&] {
        found = 0;
        for (const AppResidualFile &f : ResidualScan::run(input, [](ScanStage, double) {})) {
            found += f.sizeBytes;
        }
    });

    // The scanner on its pool while this thread's event loop ticks every millisecond.
    AppUninstallerScanner::Services services;
    services.home = home;
    services.systemRoot = root;
    services.bundleIdentifier = [](const QString &) { return QStringLiteral("com.acme.foo"); };
    AppUninstallerScanner scanner(services);
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    QObject::connect(&scanner, &AppUninstallerScanner::isScanningChanged, &app, [&] {
        if (!scanner.isScanning()) {
            app.quit();
        }
    });
    tick.start(1);
    clock.start();
    scanner.scan(QStringLiteral("Foo"), input.bundlePath);
    app.exec();

    std::printf("files in tree:            %d (%lld bytes)\n", s_files, s_duTotal);
    std::printf("bytes found by the scan:  %lld\n", static_cast<long long>(found));
    std::printf("du-like walk (best of %d): %.1f ms\n", s_runs, du);
    std::printf("residual scan (best of %d): %.1f ms\n", s_runs, scan);
    std::printf(
        "ratio scan / walk:        %.2fx (target <= 2x) %s\n", scan / du, scan / du <= 2.0 ? "OK" : "OVER");
    std::printf("longest GUI-thread stall during a scan: %lld ms\n", static_cast<long long>(longest));
    return 0;
}
