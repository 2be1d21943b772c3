#include "shell/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace brimlark {

namespace {

int s_pipe[2] = { -1, -1 };

void onSignal(int number)
{
    // Only what is safe in a handler: one write of the signal's number.
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
    errno = saved;
}

constexpr int Handled[] = { SIGTERM, SIGINT, SIGHUP, SIGQUIT };

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (s_pipe[0] >= 0 || ::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : Handled) {
        ::sigaction(number, &action, nullptr);
    }
    m_installed = true;
}

TerminationSignals::~TerminationSignals()
{
    if (!m_installed) {
        return;
    }
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int number : Handled) {
        ::sigaction(number, &action, nullptr);
    }
    m_notifier.reset();
    ::close(s_pipe[0]);
    ::close(s_pipe[1]);
    s_pipe[0] = s_pipe[1] = -1;
}

void TerminationSignals::readPending()
{
    char byte = 0;
    while (::read(s_pipe[0], &byte, 1) == 1) {
        emit received(int(byte));
    }
}

} // namespace brimlark
