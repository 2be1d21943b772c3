#include "analytics/AnalyticsManager.h"

#include "LoopbackHttpServer.h"
#include "TallyTestEnvironment.h"
#include "TestChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace brimlark;
using namespace brimlark::test;
using namespace std::chrono_literals;

namespace {

const std::string s_token = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";

// The whole life of the application's analytics in a process of its own: start, one event with
// its flush, the quit step, and then the end of main with its static destruction.
TEST(AnalyticsQuitChild, DISABLED_Run)
{
    const std::string server = environmentValue("BRIMLARK_QUIT_SERVER");
    if (server.empty()) {
        GTEST_SKIP() << "started by AnalyticsQuit only";
    }
    AnalyticsManager manager({ server, s_token, [](const std::string &) {} });
    manager.initialize();
    manager.trackEvent("Quit Probe");
    manager.shutdown(10s);
}

pid_t spawnChild(const std::filesystem::path &home, const std::string &server)
{
    return spawnTestChild("AnalyticsQuitChild.DISABLED_Run",
        { "HOME=" + home.string(), "XDG_CONFIG_HOME=" + (home / ".config").string(),
            "BRIMLARK_QUIT_SERVER=" + server },
        (home / "child.log").string());
}

// Every run tracks, flushes and returns from main: it must end cleanly (under the sanitizers too),
// with every event delivered and no delivered row left behind to be sent again.
TEST(AnalyticsQuit, ReturningFromMainRightAfterTrackingDeliversEverythingAndEndsCleanly)
{
    const int runs = environmentValue("BRIMLARK_QUIT_RUNS").empty()
        ? 200
        : std::stoi(environmentValue("BRIMLARK_QUIT_RUNS"));
    TallyTestEnvironment env(true); // a folder of our own for the children's homes
    LoopbackHttpServer server({ std::chrono::minutes(10), static_cast<std::size_t>(runs) * 4 + 10 });
    ASSERT_TRUE(server.isListening());
    for (int run = 0; run < runs; ++run) {
        const auto home = env.directory() / ("run-" + std::to_string(run));
        std::filesystem::create_directories(home);
        const pid_t child = spawnChild(home, server.baseUrl());
        ASSERT_GT(child, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        std::ifstream in(home / "child.log");
        const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run " << run << ":\n" << log;
        ASSERT_EQ(log.find("Sanitizer"), std::string::npos) << "run " << run << ":\n" << log;

        const auto names = countBy(receivedRecords(server, "/track/"), "/event");
        ASSERT_EQ(names.at("First App Open"), run + 1) << "run " << run;
        ASSERT_EQ(names.at("App Opened"), run + 1) << "run " << run;
        ASSERT_EQ(names.at("Quit Probe"), run + 1) << "run " << run;
        ASSERT_EQ(eventRowsLeft(home / "Library" / "Caches" / (s_token + "_TLDB.sqlite"), s_token), 0)
            << "run " << run;
    }
}

} // namespace
