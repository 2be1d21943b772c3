// The launcher's start, hot key and scroll speed, offscreen; each figure
// beside a bare baseline measured in the same run.
//
// BM_StartToFirstFrame: from starting a process to the first frame of the
// full window (menus, sidebar, toolbar, grid with icon placeholders) over
// 1,000 sample applications, beside a bare Qt Quick window with one rectangle
// started the same way (same program, same engine set-up). Medians over the
// runs, with the split: exec (process start to main), app (the application
// object), engine, compile (the QML's cached compiled units loaded, imports
// resolved), create (the objects made), the first scan (through the
// program's own discovery, on its pool while the QML loads: when its publish
// came and how long the frame waited for it), polish (the first frame's
// layout, where the grid makes its delegates), render.
//
// BM_HotKeyToFocusedFrame: the full window over 2,000 applications is hidden,
// the process stays; the hot key's reaction until the next frame shows the
// window with the search field focused, beside a bare window's show-to-frame.
//
// BM_ScrollFrames: the grid of 1,000 tiles in the full window scrolled from
// top to bottom and back, one step per frame; every frame's time (the scroll
// step to the frame being swapped) goes to the frame log (its path is
// printed); the counters give the slowest frame, the 99th percentile, how
// many frames took 16.7 ms or more (the target is none), and the peak
// resident memory after the scroll beside the icon cache's bound.
//
// Each measurement runs in a child process: this program started again with
// "--grid-child=<mode>".

#include "BenchMain.h"
#include "model/AppDiscovery.h"
#include "model/AppFinder.h"
#include "model/AppScanner.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/Defaults.h"
#include "platform/core/Biometrics.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/Scheduler.h"
#include "platform/gui/AppIconImageProvider.h"
#include "platform/gui/AppIconStore.h"
#include "platform/gui/AppWorkspace.h"
#include "platform/gui/Pasteboard.h"
#include "platform/gui/ScreenSampler.h"
#include "shell/ApplicationWindows.h"
#include "shell/BrimlarkApp.h"
#include "shell/GlobalHotkeyManager.h"
#include "shell/MenuCommands.h"
#include "state/BrimlarkViewModel.h"
#include "state/ObjectGraph.h"
#include "support/SharedIconStore.h"
#include "tools/DeskTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <time.h>

Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkShellPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkToolsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkGridPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkSidebarPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkUninstallerPlugin)

using namespace brimlark;

namespace {

using test::sharedIconStore;

constexpr int BundleCount = 1000;
// The hot key is measured over twice as many: the first folder and a second.
constexpr int ReopenCount = 2000;
constexpr double FrameBudgetMs = 16.7;
const char *const ChildFlag = "--grid-child=";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// 1,000 bundles with an XML Info.plist, a category and a PNG icon each.
struct SampleTree
{
    QTemporaryDir dir;

    SampleTree()
    {
        // Kept for profiling a child by hand when asked.
        if (qEnvironmentVariableIsSet("BRIMLARK_BENCH_KEEP_TREE")) {
            dir.setAutoRemove(false);
            std::fprintf(stderr, "sample tree: %s\n", qPrintable(dir.path()));
        }
        for (int i = 0; i < ReopenCount; ++i) {
            const QString apps = dir.path()
                + (i < BundleCount ? QStringLiteral("/root/Applications")
                                   : QStringLiteral("/root/System/Applications"));
            const QString name = QStringLiteral("Sample App %1").arg(i, 4, 10, QChar(u'0'));
            const QString bundle = apps + u'/' + name + QStringLiteral(".app");
            const QByteArray plist
                = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                  "<key>CFBundleExecutable</key><string>run</string>"
                  "<key>CFBundleIconFile</key><string>icon.png</string>"
                  "<key>LSApplicationCategoryType</key><string>public.app-category."
                + QByteArray::number(i % 12) + "</string></dict></plist>\n";
            writeFile(bundle + QStringLiteral("/Contents/Info.plist"), plist);
            QImage icon(128, 128, QImage::Format_ARGB32_Premultiplied);
            icon.fill(Qt::transparent);
            QPainter p(&icon);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(QColor::fromHsv((i * 37) % 360, 160, 220));
            p.setPen(Qt::NoPen);
            p.drawRoundedRect(QRectF(8, 8, 112, 112), 26, 26);
            p.setBrush(QColor::fromHsv((i * 37 + 180) % 360, 90, 250));
            p.drawEllipse(QRectF(40, 40, 48, 48));
            p.end();
            QDir().mkpath(bundle + QStringLiteral("/Contents/Resources"));
            icon.save(bundle + QStringLiteral("/Contents/Resources/icon.png"));
        }
    }
    QString root() const { return dir.path() + QStringLiteral("/root"); }
    QString home() const { return dir.path() + QStringLiteral("/home"); }
};

SampleTree &samples()
{
    static SampleTree tree;
    return tree;
}

// ---- the child processes

// Milliseconds since the parent started this process (it passes the
// monotonic clock's reading at the start), so the split covers the exec too.
double sinceSpawn()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double spawned = qEnvironmentVariable("BRIMLARK_BENCH_SPAWN_NS").toDouble();
    return (double(now.tv_sec) * 1e9 + double(now.tv_nsec) - spawned) / 1e6;
}

double monotonicNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

// The catalog and view model over in-memory settings, filled from the tree;
// the desk tools the toolbar opens, made as the program makes them.
struct ChildState
{
    AppWorkspace workspace;
    ObjectGraph graph { [this] {
        ObjectGraph::Options o;
        o.launcher = &workspace;
        return o;
    }() };
    NotificationCenter &center = graph.center();
    WorkspaceManager &workspaces = graph.workspaces();
    AppFinder &finder = graph.finder();
    Scheduler &scheduler = graph.scheduler();
    BrimlarkViewModel *viewModel = nullptr;
    // The window's menus run these, as the program's do.
    MenuCommands menuCommands { &center, nullptr };
    QTemporaryDir qrFolder;
    WorkspaceStorage &storage = graph.storage();
    std::unique_ptr<RulerManager> ruler = RulerManager::overStorage(storage);
    std::unique_ptr<ScreenSampler> sampler = ScreenSampler::create();
    DeskTools deskTools { *ruler, { storage, *sampler, Pasteboard::general(), scheduler, qrFolder.path() } };

    // The start scans through the program's own discovery (on its pool, the
    // collation and file dates worked out there) while the QML loads; the
    // other children scan before they build.
    double publishMark = 0;
    std::unique_ptr<AppDiscovery> discovery;

    ChildState(const QStringList &folders, bool inBackground)
    {
        viewModel = &graph.viewModel();
        menuCommands.setViewModel(viewModel);
        if (!inBackground) {
            finder.publishScan(AppScanner::scan(folders), finder.beginScan());
            publishMark = sinceSpawn();
            return;
        }
        AppDiscovery::Services found;
        found.folders = [folders] { return folders; };
        discovery = std::make_unique<AppDiscovery>(finder, scheduler, std::move(found));
        QObject::connect(&finder, &AppFinder::isScanningChanged, &finder, [this] {
            if (!finder.isScanning() && publishMark == 0) {
                publishMark = sinceSpawn();
            }
        });
        discovery->scanApps();
    }

    QVariantMap windowProperties()
    {
        return { { QStringLiteral("viewModel"), QVariant::fromValue<QObject *>(viewModel) },
            { QStringLiteral("deskTools"), QVariant::fromValue<QObject *>(&deskTools) },
            { QStringLiteral("workspaceManager"), QVariant::fromValue<QObject *>(&workspaces) } };
    }
};

// By the visual tree: the tile grid a layout loader makes is not a QObject
// child of the window's content, so findChild() misses it.
QQuickItem *findByName(QQuickItem *item, const QString &name)
{
    const QList<QQuickItem *> children = item->childItems();
    for (QQuickItem *child : children) {
        if (child->objectName() == name) {
            return child;
        }
        if (QQuickItem *found = findByName(child, name)) {
            return found;
        }
    }
    return nullptr;
}

// The one window of a child: the launcher's own (Main.qml) or the bare one,
// made the same way from QML.
struct ChildWindow
{
    QQmlEngine engine;
    std::unique_ptr<ChildState> state;
    std::unique_ptr<QQuickWindow> window;
    double engineMark = 0;
    double compileMark = 0;
    double createMark = 0;

    bool build(bool full, const QStringList &folders, bool scanInBackground = false)
    {
        BrimlarkApp::prepareEngine(engine);
        AppIconImageProvider::install(engine, sharedIconStore());
        engineMark = sinceSpawn();
        if (full) {
            state = std::make_unique<ChildState>(folders, scanInBackground);
            state->menuCommands.attachTo(engine);
        }
        QQmlComponent component(&engine);
        if (full) {
            component.loadUrl(BrimlarkApp::mainQmlUrl());
        } else {
            component.setData("import QtQuick\nWindow { width: 1200; height: 800; visible: true\n"
                              "    Rectangle { anchors.fill: parent; color: \"steelblue\" } }\n",
                QUrl());
        }
        compileMark = sinceSpawn();
        window.reset(qobject_cast<QQuickWindow *>(
            full ? component.createWithInitialProperties(state->windowProperties()) : component.create()));
        createMark = sinceSpawn();
        if (!window) {
            std::fprintf(stderr, "could not build the window: %s\n", qPrintable(component.errorString()));
            return false;
        }
        return true;
    }
};

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// Start to first frame; prints the marks (milliseconds since the spawn).
int runStart(bool full)
{
    const double mainMark = sinceSpawn();
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    int argc = 1;
    char name[] = "bench_grid";
    char *argv[] = { name, nullptr };
    QGuiApplication app(argc, argv);
    BrimlarkApp::setUpStyle();
    const double appMark = sinceSpawn();
    ChildWindow child;
    const QString root = qEnvironmentVariable("BRIMLARK_BENCH_ROOT");
    if (!child.build(full, { root + QStringLiteral("/Applications") }, true)) {
        return 1;
    }
    // The frame that counts is the first with the applications in it.
    const auto published = [&child] { return !child.state || child.state->publishMark > 0; };
    double polishMark = 0;
    bool reported = false;
    QObject::connect(
        child.window.get(), &QQuickWindow::beforeSynchronizing, &app,
        [&] {
            if (polishMark == 0 && published()) {
                polishMark = sinceSpawn();
            }
        },
        Qt::DirectConnection);
    QObject::connect(
        child.window.get(), &QQuickWindow::frameSwapped, &app,
        [&] {
            if (polishMark == 0 || std::exchange(reported, true)) {
                return;
            }
            const double publishMark = child.state ? child.state->publishMark : child.createMark;
            std::printf("first-frame main %.3f app %.3f engine %.3f compile %.3f create %.3f publish %.3f "
                        "polish %.3f frame %.3f\n",
                mainMark, appMark, child.engineMark, child.compileMark, child.createMark, publishMark,
                polishMark, sinceSpawn());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        },
        Qt::DirectConnection);
    child.window->show();
    return app.exec();
}

// The hot key (or a second start's reopen) while the window is hidden and
// the process resident, to the frame showing the window with the search
// field focused; the bare window shows and draws its one rectangle.
int runReopen(bool full)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    int argc = 1;
    char name[] = "bench_grid";
    char *argv[] = { name, nullptr };
    QGuiApplication app(argc, argv);
    BrimlarkApp::setUpStyle();
    const QString root = qEnvironmentVariable("BRIMLARK_BENCH_ROOT");
    ChildWindow child;
    if (!child.build(full,
            { root + QStringLiteral("/Applications"), root + QStringLiteral("/System/Applications") })) {
        return 1;
    }
    QQuickWindow *window = child.window.get();
    window->show();
    settle(500);
    QQuickItem *field = full ? findByName(window->contentItem(), QStringLiteral("searchField")) : nullptr;
    if (full && !field) {
        std::fprintf(stderr, "no search field\n");
        return 1;
    }
    NotificationCenter noCenter;
    GlobalHotkeyManager hotkeys(child.state ? child.state->center : noCenter);
    hotkeys.setWindow(window);
    bool shown = false;
    QObject::connect(
        window, &QQuickWindow::frameSwapped, &app,
        [&shown, field] { shown = !field || field->hasActiveFocus(); }, Qt::DirectConnection);
    std::vector<double> times;
    for (int i = 0; i < 15; ++i) {
        // The field gave its focus away before the window went, as after a launch.
        window->contentItem()->forceActiveFocus();
        window->hide();
        settle(60);
        shown = false;
        QElapsedTimer t;
        t.start();
        if (full) {
            hotkeys.hotKeyPressed();
        } else {
            ApplicationWindows::bringForward(window, false);
        }
        while (!shown && t.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        }
        if (!shown) {
            std::fprintf(stderr, "the window did not come back with its field focused\n");
            return 1;
        }
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("reopen median %.3f max %.3f\n", times[times.size() / 2], times.back());
    std::fflush(stdout);
    return 0;
}

long peakResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Scrolling the full window's grid: one step per frame, down to the end and
// back up; then the peak resident memory.
int runScroll()
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    int argc = 1;
    char name[] = "bench_grid";
    char *argv[] = { name, nullptr };
    QGuiApplication app(argc, argv);
    BrimlarkApp::setUpStyle();
    const QString root = qEnvironmentVariable("BRIMLARK_BENCH_ROOT");
    ChildWindow child;
    if (!child.build(true, { root + QStringLiteral("/Applications") })) {
        return 1;
    }
    QQuickWindow &window = *child.window;
    window.show();
    QElapsedTimer wait;
    wait.start();
    QQuickItem *view = nullptr;
    while (
        !(view = findByName(window.contentItem(), QStringLiteral("appTileGrid"))) && wait.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (!view) {
        std::fprintf(stderr, "no tile grid\n");
        return 1;
    }
    const QString logPath = qEnvironmentVariable("BRIMLARK_BENCH_FRAME_LOG");
    QFile log(logPath);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "cannot write the frame log\n");
        return 1;
    }
    QTextStream out(&log);
    out << "frame\tcontentY\tms\n";

    // Let the first screenful settle before measuring.
    settle(300);
    const double top = view->property("originY").toDouble() - view->property("topMargin").toDouble();
    const double end = top + view->property("contentHeight").toDouble() - view->height()
        + view->property("topMargin").toDouble() + view->property("bottomMargin").toDouble();
    const double step = 24; // about a fast wheel's pace at 60 frames a second
    std::vector<double> steps;
    for (double y = top; y <= end; y += step) {
        steps.push_back(y);
    }
    for (double y = end; y >= top; y -= step) {
        steps.push_back(y);
    }
    // The steps run in the application's own event loop, as a wheel's do:
    // the delegates the grid lets go are deleted there (deferred deletions
    // wait for a running loop), so the memory figure is the program's.
    std::vector<double> frames;
    size_t next = 0;
    QElapsedTimer t;
    const auto frame = [&] {
        // A step that changes nothing makes no frame.
        while (next < steps.size()
            && qFuzzyCompare(view->property("contentY").toDouble() + 1e6, steps[next] + 1e6)) {
            ++next;
        }
        if (next == steps.size()) {
            QCoreApplication::exit(0);
            return;
        }
        t.start();
        view->setProperty("contentY", steps[next++]);
        window.requestUpdate();
    };
    QObject::connect(&window, &QQuickWindow::frameSwapped, &app, [&] {
        if (!t.isValid()) {
            return;
        }
        const double ms = double(t.nsecsElapsed()) / 1e6;
        frames.push_back(ms);
        out << frames.size() << '\t' << view->property("contentY").toDouble() << '\t' << ms << '\n';
        t.invalidate();
        // The next step once this frame is out, as the next wheel event would come.
        QMetaObject::invokeMethod(&app, frame, Qt::QueuedConnection);
    });
    QTimer::singleShot(0, &app, frame);
    app.exec();
    out.flush();
    // Every icon asked for is in by now, or on its way.
    sharedIconStore().waitForDone(10000);
    settle(200);
    std::vector<double> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    const double worst = sorted.empty() ? 0 : sorted.back();
    const double p99 = sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, size_t(sorted.size() * 0.99))];
    const auto over
        = std::count_if(frames.begin(), frames.end(), [](double ms) { return ms >= FrameBudgetMs; });
    AppIconCache &cache = sharedIconStore().cache();
    std::printf("frames %zu max %.3f p99 %.3f over %ld rss_kib %ld cache_bytes %lld cache_max %lld\n",
        frames.size(), worst, p99, long(over), peakResidentKiB(), static_cast<long long>(cache.totalBytes()),
        static_cast<long long>(cache.maxBytes()));
    std::fflush(stdout);
    return 0;
}

QtMessageHandler s_standardHandler = nullptr;

int runChild(const QString &mode)
{
    // The offscreen platform cannot raise a window, and says so on every reopen.
    s_standardHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.contains(QStringLiteral("does not support raise()"))) {
                s_standardHandler(type, context, message);
            }
        });
    if (mode == u"full" || mode == u"bare") {
        return runStart(mode == u"full");
    }
    if (mode == u"reopen-full" || mode == u"reopen-bare") {
        return runReopen(mode == u"reopen-full");
    }
    if (mode == u"scroll") {
        return runScroll();
    }
    std::fprintf(stderr, "unknown child mode\n");
    return 2;
}

// ---- the benchmarks

QProcessEnvironment childEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("BRIMLARK_BENCH_ROOT"), samples().root());
    env.insert(QStringLiteral("HOME"), samples().home());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), samples().home() + QStringLiteral("/.config"));
    const QString runtime = samples().dir.path() + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    return env;
}

// Seconds from the start of the child to its report line; negative on failure.
double timeChild(
    const QString &mode, QByteArray *output = nullptr, QProcessEnvironment env = childEnvironment())
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    // The child's complaints show in the benchmark's own output.
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setArguments({ QString::fromLatin1(ChildFlag) + mode });
    env.insert(QStringLiteral("BRIMLARK_BENCH_SPAWN_NS"), QString::number(monotonicNs(), 'f', 0));
    child.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    child.start();
    if (!child.waitForStarted(10000)) {
        return -1;
    }
    QByteArray seen;
    while (!seen.contains('\n') && child.state() != QProcess::NotRunning) {
        child.waitForReadyRead(100);
        seen += child.readAllStandardOutput();
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    child.waitForFinished(60000);
    seen += child.readAllStandardOutput();
    if (output) {
        *output = seen;
    }
    return child.exitCode() == 0 && seen.contains('\n') ? seconds : -1;
}

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The marks a start child prints, in milliseconds since its spawn.
struct StartMarks
{
    double main = 0, app = 0, engine = 0, compile = 0, create = 0, publish = 0, polish = 0, frame = 0;

    static std::optional<StartMarks> parse(const QByteArray &line)
    {
        StartMarks m;
        if (std::sscanf(line.constData(),
                "first-frame main %lf app %lf engine %lf compile %lf create %lf publish %lf polish %lf frame "
                "%lf",
                &m.main, &m.app, &m.engine, &m.compile, &m.create, &m.publish, &m.polish, &m.frame)
            != 8) {
            return std::nullopt;
        }
        return m;
    }
};

void BM_StartToFirstFrame(benchmark::State &state)
{
    samples();
    std::vector<double> full;
    std::vector<double> bare;
    std::vector<double> ratios;
    std::vector<StartMarks> marks;
    std::vector<double> bareCompileToFrame;
    for (auto _ : state) {
        QByteArray fullOut;
        QByteArray bareOut;
        const double f = timeChild(QStringLiteral("full"), &fullOut);
        const double b = timeChild(QStringLiteral("bare"), &bareOut);
        const auto fullMarks = StartMarks::parse(fullOut);
        const auto bareMarks = StartMarks::parse(bareOut);
        if (f < 0 || b < 0 || !fullMarks || !bareMarks) {
            state.SkipWithError("a child process failed");
            return;
        }
        state.SetIterationTime(f);
        full.push_back(f * 1e3);
        bare.push_back(b * 1e3);
        ratios.push_back(f / b);
        marks.push_back(*fullMarks);
        bareCompileToFrame.push_back(bareMarks->frame - bareMarks->engine);
    }
    const auto phase = [&marks](const auto &of) {
        std::vector<double> values;
        for (const StartMarks &m : marks) {
            values.push_back(of(m));
        }
        return median(values);
    };
    state.counters["full_ms"] = median(full);
    state.counters["bare_ms"] = median(bare);
    state.counters["ratio_to_bare"] = median(ratios);
    state.counters["exec_ms"] = phase([](const StartMarks &m) { return m.main; });
    state.counters["app_ms"] = phase([](const StartMarks &m) { return m.app - m.main; });
    state.counters["engine_ms"] = phase([](const StartMarks &m) { return m.engine - m.app; });
    state.counters["compile_ms"] = phase([](const StartMarks &m) { return m.compile - m.engine; });
    state.counters["create_ms"] = phase([](const StartMarks &m) { return m.create - m.compile; });
    // The scan overlaps the compile and create: how long after the engine
    // started its publish came, and how long the frame waited for it.
    state.counters["scan_publish_ms"] = phase([](const StartMarks &m) { return m.publish - m.engine; });
    state.counters["wait_for_scan_ms"]
        = phase([](const StartMarks &m) { return std::max(0.0, m.publish - m.create); });
    state.counters["polish_ms"]
        = phase([](const StartMarks &m) { return m.polish - std::max(m.create, m.publish); });
    state.counters["render_ms"] = phase([](const StartMarks &m) { return m.frame - m.polish; });
    state.counters["bare_qml_ms"] = median(bareCompileToFrame);
    state.SetLabel("target ratio <= 1.5");
}

void BM_HotKeyToFocusedFrame(benchmark::State &state)
{
    samples();
    std::vector<double> full;
    std::vector<double> bare;
    std::vector<double> worst;
    for (auto _ : state) {
        QByteArray fullOut;
        QByteArray bareOut;
        const double seconds = timeChild(QStringLiteral("reopen-full"), &fullOut);
        if (seconds < 0 || timeChild(QStringLiteral("reopen-bare"), &bareOut) < 0) {
            state.SkipWithError("a child process failed");
            return;
        }
        state.SetIterationTime(seconds);
        double f = 0, fm = 0, b = 0, bm = 0;
        if (std::sscanf(fullOut.constData(), "reopen median %lf max %lf", &f, &fm) != 2
            || std::sscanf(bareOut.constData(), "reopen median %lf max %lf", &b, &bm) != 2) {
            state.SkipWithError("a child process reported nothing");
            return;
        }
        full.push_back(f);
        bare.push_back(b);
        worst.push_back(fm);
    }
    state.counters["full_ms"] = median(full);
    state.counters["bare_ms"] = median(bare);
    state.counters["full_max_ms"] = *std::max_element(worst.begin(), worst.end());
    state.counters["ratio_to_bare"] = median(bare) > 0 ? median(full) / median(bare) : 0;
    state.SetLabel("target full_ms <= 33.3 (2 frames)");
}

void BM_ScrollFrames(benchmark::State &state)
{
    samples();
    QProcessEnvironment env = childEnvironment();
    // Kept after the run, unless another path is asked for.
    QString logPath = qEnvironmentVariable("BRIMLARK_BENCH_FRAME_LOG");
    if (logPath.isEmpty()) {
        logPath = QDir::temp().filePath(QStringLiteral("brimlark-bench-grid-frames.tsv"));
    }
    env.insert(QStringLiteral("BRIMLARK_BENCH_FRAME_LOG"), logPath);
    double worst = 0;
    double p99 = 0;
    long over = 0;
    long frames = 0;
    long rss = 0;
    long long cacheBytes = 0;
    long long cacheMax = 0;
    for (auto _ : state) {
        QByteArray output;
        const double seconds = timeChild(QStringLiteral("scroll"), &output, env);
        if (seconds < 0) {
            state.SkipWithError("the scrolling child failed");
            return;
        }
        state.SetIterationTime(seconds);
        double w = 0;
        double p = 0;
        long o = 0;
        long n = 0;
        long r = 0;
        long long cb = 0;
        long long cm = 0;
        if (std::sscanf(output.constData(),
                "frames %ld max %lf p99 %lf over %ld rss_kib %ld cache_bytes %lld cache_max %lld", &n, &w, &p,
                &o, &r, &cb, &cm)
            != 7) {
            state.SkipWithError("the scrolling child reported nothing");
            return;
        }
        worst = std::max(worst, w);
        p99 = std::max(p99, p);
        over += o;
        frames += n;
        rss = std::max(rss, r);
        cacheBytes = std::max(cacheBytes, cb);
        cacheMax = cm;
    }
    state.counters["frames"] = double(frames);
    state.counters["max_frame_ms"] = worst;
    state.counters["p99_frame_ms"] = p99;
    state.counters["frames_16_7ms_or_more"] = double(over);
    state.counters["peak_rss_MiB"] = double(rss) / 1024;
    state.counters["icon_cache_MiB"] = double(cacheBytes) / (1024 * 1024);
    state.counters["icon_cache_bound_MiB"] = double(cacheMax) / (1024 * 1024);
    state.SetLabel("targets: no frame >= 16.7 ms, peak RSS <= 160 MiB; frame log: " + logPath.toStdString());
}

} // namespace

BENCHMARK(BM_StartToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_HotKeyToFocusedFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ScrollFrames)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], ChildFlag, std::strlen(ChildFlag)) == 0) {
            return runChild(QString::fromLatin1(argv[i] + std::strlen(ChildFlag)));
        }
    }
    return bench::runBenchmarksWith<QCoreApplication>(argc, argv);
}
