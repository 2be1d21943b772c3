#include "analytics/AnalyticsManager.h"

#include "LoopbackHttpServer.h"
#include "TallyTestEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using namespace brimlark;
using namespace brimlark::test;
using namespace std::chrono_literals;

namespace {

const std::string s_token = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";

std::string variable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

// The whole life of the application's analytics in a process of its own: start, one event with
// its flush, the quit step, and then the end of main with its static destruction.
TEST(AnalyticsQuitChild, DISABLED_Run)
{
    const std::string server = variable("BRIMLARK_QUIT_SERVER");
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
    std::vector<std::string> variables = { "HOME=" + home.string(),
        "XDG_CONFIG_HOME=" + (home / ".config").string(), "BRIMLARK_QUIT_SERVER=" + server };
    std::vector<char *> envp;
    for (char **entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        if (!text.starts_with("HOME=") && !text.starts_with("XDG_CONFIG_HOME=")) {
            envp.push_back(*entry);
        }
    }
    for (auto &entry : variables) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string program = "/proc/self/exe";
    std::string filter = "--gtest_filter=AnalyticsQuitChild.DISABLED_Run";
    std::string disabled = "--gtest_also_run_disabled_tests";
    char *argv[] = { program.data(), filter.data(), disabled.data(), nullptr };
    const std::string log = (home / "child.log").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(
        &actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

int rowsLeft(const std::filesystem::path &database)
{
    sqlite3 *connection = nullptr;
    int count = -1;
    if (sqlite3_open_v2(database.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        const std::string sql = "SELECT COUNT(*) FROM tally_" + s_token + "_events";
        if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK
            && sqlite3_step(statement) == SQLITE_ROW) {
            count = sqlite3_column_int(statement, 0);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(connection);
    return count;
}

// Every run tracks, flushes and returns from main: it must end cleanly (under the sanitizers too),
// with every event delivered and no delivered row left behind to be sent again.
TEST(AnalyticsQuit, ReturningFromMainRightAfterTrackingDeliversEverythingAndEndsCleanly)
{
    const int runs = variable("BRIMLARK_QUIT_RUNS").empty() ? 200 : std::stoi(variable("BRIMLARK_QUIT_RUNS"));
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
        ASSERT_EQ(rowsLeft(home / "Library" / "Caches" / (s_token + "_TLDB.sqlite")), 0) << "run " << run;
    }
}

} // namespace
