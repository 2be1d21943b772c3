#include "TestChildProcess.h"

#include <sqlite3.h>

#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <unistd.h>

extern char **environ;

namespace brimlark::test {

std::string environmentValue(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

pid_t spawnTestChild(
    const std::string &test, const std::vector<std::string> &variables, const std::string &logFile)
{
    std::vector<std::string> given = variables;
    std::vector<char *> envp;
    for (char **entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        bool replaced = false;
        for (const std::string &variable : given) {
            const std::string_view name(variable.data(), variable.find('=') + 1);
            replaced = replaced || text.starts_with(name);
        }
        if (!replaced) {
            envp.push_back(*entry);
        }
    }
    for (std::string &variable : given) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    std::string program = "/proc/self/exe";
    std::string filter = "--gtest_filter=" + test;
    std::string disabled = "--gtest_also_run_disabled_tests";
    char *argv[] = { program.data(), filter.data(), disabled.data(), nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(
        &actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

int eventRowsLeft(const std::filesystem::path &database, const std::string &token, const std::string &where)
{
    sqlite3 *connection = nullptr;
    int count = -1;
    if (sqlite3_open_v2(database.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(connection, 1000);
        sqlite3_stmt *statement = nullptr;
        const std::string sql = "SELECT COUNT(*) FROM tally_" + token + "_events WHERE " + where;
        if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK
            && sqlite3_step(statement) == SQLITE_ROW) {
            count = sqlite3_column_int(statement, 0);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(connection);
    return count;
}

} // namespace brimlark::test
