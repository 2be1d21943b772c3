#include "shell/FrameLog.h"

#include "shell/ShellLog.h"

#include <QFile>
#include <QQuickWindow>
#include <QtGlobal>

#include <chrono>
#include <cinttypes>

namespace brimlark {

FrameLog *FrameLog::start(QQuickWindow &window, const QString &path)
{
    std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "w");
    if (!file) {
        qCWarning(lcShell, "⚠️ The frame log %s cannot be written", qUtf8Printable(path));
        return nullptr;
    }
    return new FrameLog(window, file);
}

FrameLog *FrameLog::fromEnvironment(QQuickWindow &window)
{
    const QString path = qEnvironmentVariable(environmentVariable);
    return path.isEmpty() ? nullptr : start(window, path);
}

FrameLog::FrameLog(QQuickWindow &window, std::FILE *file)
    : QObject(&window)
    , m_file(file)
{
    // Both run on the render thread, the first while the GUI thread waits:
    // the generation taken there is the one the frame shows.
    connect(
        &window, &QQuickWindow::beforeSynchronizing, this,
        [this] { m_synchronized = m_generation.load(std::memory_order_acquire); }, Qt::DirectConnection);
    connect(
        &window, &QQuickWindow::frameSwapped, this,
        [this] {
            const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::system_clock::now().time_since_epoch());
            std::fprintf(m_file, "%" PRId64 " %llu\n", std::int64_t(now.count()),
                static_cast<unsigned long long>(m_synchronized));
            // A line per frame reaches the file at once: the process may be
            // ended by a signal.
            std::fflush(m_file);
        },
        Qt::DirectConnection);
}

FrameLog::~FrameLog()
{
    // The window stops rendering before its children go.
    std::fclose(m_file);
}

void FrameLog::contentChanged()
{
    m_generation.fetch_add(1, std::memory_order_release);
}

} // namespace brimlark
