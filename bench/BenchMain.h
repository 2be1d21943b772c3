#pragma once

// The main() every Google Benchmark binary here shares:
//
//     BRIMLARK_BENCHMARK_MAIN(QCoreApplication)
//
// makes the named application object, then runs the registered benchmarks
// under Google Benchmark's flags. A flag it does not know ends the run with
// 1 rather than being ignored, so a mistyped filter never passes as an
// empty run. A binary with work to do before the application exists (a
// child process it starts itself) calls runBenchmarksWith<>() from its own
// main() instead.

#include "analytics/AnalyticsServices.h"
#include "analytics/ThreadMainExecutor.h"
#include "shell/BrimlarkApp.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QQuickWindow>

#include <benchmark/benchmark.h>

namespace brimlark::bench {

// For benchmarks of the analytics client, which has no Qt: its process-wide
// objects installed as the program installs them, with a main executor of
// its own thread.
struct AnalyticsApplication
{
    AnalyticsApplication(int &, char **)
    {
        AnalyticsServices::install(std::make_shared<ThreadMainExecutor>());
    }
};

// For benchmarks of the views: the offscreen platform unless the caller
// chose one, the software scene graph and the program's Controls style.
class ViewsApplication : public QGuiApplication
{
public:
    ViewsApplication(int &argc, char **argv)
        : QGuiApplication(beforeApplication(argc), argv)
    {
        BrimlarkApp::setUpStyle();
    }

private:
    static int &beforeApplication(int &argc)
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return argc;
    }
};

template <typename Application> int runBenchmarksWith(int argc, char **argv)
{
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace brimlark::bench

#define BRIMLARK_BENCHMARK_MAIN(Application)                                                                 \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        return ::brimlark::bench::runBenchmarksWith<Application>(argc, argv);                                \
    }
