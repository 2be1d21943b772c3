#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdio>

QT_BEGIN_NAMESPACE
class QQuickWindow;
QT_END_NAMESPACE

namespace brimlark {

// A record of the frames a window shows, for measuring the program on the
// display path users run (the benchmarks read it): one line per swapped
// frame, "<wall-clock microseconds> <content generation>". The generation
// counts the changes of what the window shows (contentChanged()) that the
// frame includes, so a reader can tell the first frame that shows a change.
// Off unless BRIMLARK_FRAME_LOG names a file, read once at start.
class FrameLog : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *environmentVariable = "BRIMLARK_FRAME_LOG";

    // A log of window's frames into path (truncated), owned by the window;
    // null when the file cannot be written.
    static FrameLog *start(QQuickWindow &window, const QString &path);
    // The log the environment asks for, or null.
    static FrameLog *fromEnvironment(QQuickWindow &window);

    ~FrameLog() override;

    // What the window shows has changed; the next frame synchronised shows it.
    void contentChanged();

private:
    FrameLog(QQuickWindow &window, std::FILE *file);

    std::FILE *m_file;
    std::atomic<quint64> m_generation { 0 };
    // Written and read on the render thread only, while the GUI thread is
    // blocked in the synchronisation or after it.
    quint64 m_synchronized = 0;
};

} // namespace brimlark
