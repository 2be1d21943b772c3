// The grid's start and scroll speed, offscreen.
//
// BM_StartToFirstFrame: from starting a process to the first frame of a
// window showing 1,000 sample applications, beside a bare Qt Quick window
// with one rectangle started the same way (same program, same engine set-up);
// the counters give both times and their ratio.
//
// BM_ScrollFrames: the grid of 1,000 tiles scrolled from top to bottom and
// back, one step per frame; every frame's time (the scroll step to the frame
// being swapped) goes to the frame log (its path is printed), and the counters
// give the slowest frame, the 99th percentile and how many frames took 16 ms
// or more (the target is none).
//
// Each measurement runs in a child process: this program started again with
// "--grid-child=<grid|bare|scroll>".

#include "model/AppFinder.h"
#include "model/AppScanner.h"
#include "model/WorkspaceManager.h"
#include "platform/AppIconImageProvider.h"
#include "platform/AppIconStore.h"
#include "platform/AppWorkspace.h"
#include "platform/Biometrics.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"
#include "shell/BrimlarkApp.h"
#include "state/BrimlarkViewModel.h"

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
#include <vector>

Q_IMPORT_QML_PLUGIN(BrimlarkViewsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkToolsPlugin)
Q_IMPORT_QML_PLUGIN(BrimlarkGridPlugin)

using namespace brimlark;

namespace {

constexpr int BundleCount = 1000;
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
        const QString apps = dir.path() + QStringLiteral("/root/Applications");
        for (int i = 0; i < BundleCount; ++i) {
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

// The catalog and view model over in-memory settings, filled from the tree.
struct ChildState
{
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces { defaults, center };
    AppFinder finder { defaults, workspaces, center };
    AppWorkspace workspace;
    UnavailableBiometrics biometrics;
    TimerScheduler scheduler;
    std::unique_ptr<BrimlarkViewModel> viewModel;

    explicit ChildState(const QString &root)
    {
        BrimlarkViewModel::Services services;
        services.defaults = &defaults;
        services.workspace = &workspace;
        services.biometrics = &biometrics;
        services.scheduler = &scheduler;
        viewModel = std::make_unique<BrimlarkViewModel>(finder, services);
        finder.publishScan(AppScanner::scan({ root + QStringLiteral("/Applications") }), finder.beginScan());
    }
};

QQuickItem *findByName(QQuickItem *item, const QString &name)
{
    for (QQuickItem *child : item->childItems()) {
        if (child->objectName() == name) {
            return child;
        }
        if (QQuickItem *found = findByName(child, name)) {
            return found;
        }
    }
    return nullptr;
}

int runChild(const QString &mode, int argc, char **argv)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    BrimlarkApp::setUpStyle();
    const QString root = qEnvironmentVariable("BRIMLARK_BENCH_ROOT");

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.addImageProvider(
        AppIconImageProvider::ProviderId, new AppIconImageProvider(AppIconStore::shared()));
    std::unique_ptr<ChildState> state;
    std::unique_ptr<QQuickItem> content;
    if (mode == u"bare") {
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nRectangle { color: \"steelblue\" }\n", QUrl());
        content.reset(qobject_cast<QQuickItem *>(component.create()));
    } else {
        state = std::make_unique<ChildState>(root);
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Brimlark/Grid/AppGridView.qml")));
        content.reset(qobject_cast<QQuickItem *>(component.createWithInitialProperties(
            { { QStringLiteral("viewModel"), QVariant::fromValue<QObject *>(state->viewModel.get()) } })));
    }
    if (!content) {
        std::fprintf(stderr, "could not build the window's content\n");
        return 1;
    }
    QQuickWindow window;
    window.resize(1200, 800);
    content->setParentItem(window.contentItem());
    content->setSize(QSizeF(1200, 800));

    if (mode != u"scroll") {
        QObject::connect(
            &window, &QQuickWindow::frameSwapped, &app,
            [] {
                std::printf("first-frame\n");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            },
            Qt::DirectConnection);
        window.show();
        return app.exec();
    }

    // Scrolling: one step per frame, down to the end and back up.
    window.show();
    QElapsedTimer wait;
    wait.start();
    QQuickItem *view = nullptr;
    while (!(view = findByName(content.get(), QStringLiteral("appTileGrid"))) && wait.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (!view) {
        std::fprintf(stderr, "no tile grid\n");
        return 1;
    }
    const QString logPath = qEnvironmentVariable("BRIMLARK_BENCH_FRAME_LOG");
    QFile log(logPath);
    log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    QTextStream out(&log);
    out << "frame\tcontentY\tms\n";

    std::vector<double> frames;
    bool swapped = false;
    QObject::connect(
        &window, &QQuickWindow::frameSwapped, &app, [&swapped] { swapped = true; }, Qt::DirectConnection);
    const auto frame = [&](double y) {
        // A step that changes nothing makes no frame.
        if (qFuzzyCompare(view->property("contentY").toDouble() + 1e6, y + 1e6)) {
            return;
        }
        swapped = false;
        QElapsedTimer t;
        t.start();
        view->setProperty("contentY", y);
        window.requestUpdate();
        while (!swapped && t.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        }
        const double ms = double(t.nsecsElapsed()) / 1e6;
        frames.push_back(ms);
        out << frames.size() << '\t' << y << '\t' << ms << '\n';
    };
    // Let the first screenful settle before measuring.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    frames.clear();
    const double top = view->property("originY").toDouble() - view->property("topMargin").toDouble();
    const double end = top + view->property("contentHeight").toDouble() - view->height()
        + view->property("topMargin").toDouble() + view->property("bottomMargin").toDouble();
    const double step = 24; // about a fast wheel's pace at 60 frames a second
    for (double y = top; y <= end; y += step) {
        frame(y);
    }
    for (double y = end; y >= top; y -= step) {
        frame(y);
    }
    out.flush();
    std::vector<double> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    const double worst = sorted.empty() ? 0 : sorted.back();
    const double p99 = sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, size_t(sorted.size() * 0.99))];
    const auto over = std::count_if(frames.begin(), frames.end(), [](double ms) { return ms >= 16; });
    std::printf("frames %zu max %.3f p99 %.3f over16 %ld\n", frames.size(), worst, p99, long(over));
    std::fflush(stdout);
    return 0;
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
    const QString &mode, QByteArray *output = nullptr, const QProcessEnvironment &env = childEnvironment())
{
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProgram(QCoreApplication::applicationFilePath());
    // The child's complaints show in the benchmark's own output.
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setArguments({ QString::fromLatin1(ChildFlag) + mode });
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
    child.waitForFinished(30000);
    seen += child.readAllStandardOutput();
    if (output) {
        *output = seen;
    }
    return child.exitCode() == 0 && seen.contains('\n') ? seconds : -1;
}

void BM_StartToFirstFrame(benchmark::State &state)
{
    samples();
    double gridTotal = 0;
    double bareTotal = 0;
    int runs = 0;
    for (auto _ : state) {
        const double grid = timeChild(QStringLiteral("grid"));
        const double bare = timeChild(QStringLiteral("bare"));
        if (grid < 0 || bare < 0) {
            state.SkipWithError("a child process failed");
            return;
        }
        state.SetIterationTime(grid);
        gridTotal += grid;
        bareTotal += bare;
        ++runs;
    }
    state.counters["grid_ms"] = gridTotal / runs * 1e3;
    state.counters["bare_ms"] = bareTotal / runs * 1e3;
    state.counters["ratio_to_bare"] = bareTotal > 0 ? gridTotal / bareTotal : 0;
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
        if (std::sscanf(output.constData(), "frames %ld max %lf p99 %lf over16 %ld", &n, &w, &p, &o) == 4) {
            worst = std::max(worst, w);
            p99 = std::max(p99, p);
            over += o;
            frames += n;
        }
    }
    state.counters["frames"] = double(frames);
    state.counters["max_frame_ms"] = worst;
    state.counters["p99_frame_ms"] = p99;
    state.counters["frames_16ms_or_more"] = double(over);
    state.SetLabel("frame log: " + logPath.toStdString());
}

} // namespace

BENCHMARK(BM_StartToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ScrollFrames)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], ChildFlag, std::strlen(ChildFlag)) == 0) {
            return runChild(QString::fromLatin1(argv[i] + std::strlen(ChildFlag)), argc, argv);
        }
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
