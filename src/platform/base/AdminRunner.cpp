#include "platform/base/AdminRunner.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace brimlark {

namespace {
// pkexec's own answers: 126 the dialog was dismissed; 127 not authorized,
// or no authentication agent or authority to ask at all.
constexpr int s_pkexecDismissed = 126;
constexpr int s_pkexecFailed = 127;
// Roots in the argument vector, after the operation (see AdminRunner::run).
constexpr size_t s_rootCount = 3;
// Helper exit statuses (see the helper's main).
constexpr int s_helperDestinationExists = 3;
// A reason is one line; anything longer is not read.
constexpr size_t s_maxReason = 4096;

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    const size_t newline = text.find('\n');
    return newline == std::string::npos ? text : text.substr(0, newline);
}
} // namespace

PkexecAdminRunner::PkexecAdminRunner(std::string helperPath, std::vector<std::string> launcher)
    : m_helperPath(std::move(helperPath))
    , m_launcher(std::move(launcher))
{
}

std::optional<std::string> PkexecAdminRunner::accountHome() const
{
    if (m_launcher.empty()) {
        return std::nullopt;
    }
    // pkexec tells the helper the caller's uid; the helper reads its home.
    std::vector<char> buffer(16384);
    passwd entry {};
    passwd *found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir) {
        return std::string();
    }
    return std::string(found->pw_dir);
}

AdminRunner::Result PkexecAdminRunner::run(const std::vector<std::string> &helperArguments)
{
    std::vector<std::string> args = m_launcher;
    args.push_back(m_helperPath);
    if (m_launcher.empty() || helperArguments.size() <= s_rootCount) {
        args.insert(args.end(), helperArguments.begin(), helperArguments.end());
    } else {
        args.push_back(helperArguments.front());
        args.insert(args.end(), helperArguments.begin() + 1 + s_rootCount, helperArguments.end());
    }
    std::vector<char *> argv;
    for (std::string &a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return { Outcome::Failed,
            std::string("The administrator helper couldn’t be started: ") + std::strerror(errno) };
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    pid_t pid = 0;
    const int spawnError = posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawnError != 0) {
        close(pipeFds[0]);
        return { Outcome::Failed,
            "The administrator helper couldn’t be started: " + args.front() + ": "
                + std::strerror(spawnError) };
    }

    std::string reason;
    char buffer[512];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) {
            if (reason.size() < s_maxReason) {
                reason.append(buffer, size_t(n));
            }
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    reason = trimmed(reason);

    if (!WIFEXITED(status)) {
        return { Outcome::Failed, "The administrator helper stopped unexpectedly" };
    }
    const int code = WEXITSTATUS(status);
    if (code == 0) {
        return { Outcome::Succeeded, {} };
    }
    // Only the launcher answers 126/127; the helper itself never does. A 127
    // without "Not authorized" means no one could be asked (no agent, no
    // authority): that is no refusal by the user.
    if (!m_launcher.empty() && code == s_pkexecDismissed) {
        return { Outcome::Denied, reason };
    }
    if (!m_launcher.empty() && code == s_pkexecFailed) {
        return { reason.find("Not authorized") != std::string::npos ? Outcome::Denied : Outcome::Unavailable,
            reason };
    }
    if (code == s_helperDestinationExists) {
        return { Outcome::DestinationExists, reason };
    }
    if (reason.empty()) {
        reason = "The administrator helper failed with status " + std::to_string(code);
    }
    return { Outcome::Failed, reason };
}

} // namespace brimlark
