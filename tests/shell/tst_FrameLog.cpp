#include "shell/FrameLog.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QQuickWindow>
#include <QTemporaryDir>

using namespace brimlark;

namespace {

struct Frame
{
    qint64 time = 0;
    quint64 generation = 0;
};

// The log as a reader sees it; a line that is not two numbers fails the test.
QList<Frame> framesIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no frame log at " << path.toStdString();
        return {};
    }
    QList<Frame> frames;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        const QList<QByteArray> fields = line.split(' ');
        bool timeRead = false;
        bool generationRead = false;
        Frame frame;
        if (fields.size() == 2) {
            frame.time = fields[0].toLongLong(&timeRead);
            frame.generation = fields[1].toULongLong(&generationRead);
        }
        EXPECT_TRUE(timeRead && generationRead) << "not a frame: " << line.toStdString();
        frames << frame;
    }
    return frames;
}

} // namespace

TEST(FrameLogTest, EachSwappedFrameIsALineWithTheChangesItShows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("frames"));
    QQuickWindow window;
    window.resize(64, 64);
    FrameLog *log = FrameLog::start(window, path);
    ASSERT_NE(log, nullptr);
    window.show();
    ASSERT_TRUE(test::waitUntil([&] { return !framesIn(path).isEmpty(); }));
    EXPECT_EQ(framesIn(path).constLast().generation, 0u);

    // Two changes before the next frame: that frame shows both.
    log->contentChanged();
    log->contentChanged();
    window.setColor(Qt::darkCyan);
    ASSERT_TRUE(test::waitUntil([&] { return framesIn(path).constLast().generation == 2; }));

    const QList<Frame> frames = framesIn(path);
    for (qsizetype i = 1; i < frames.size(); ++i) {
        EXPECT_GE(frames[i].time, frames[i - 1].time);
        EXPECT_GE(frames[i].generation, frames[i - 1].generation);
    }
}

TEST(FrameLogTest, ThereIsNoLogUnlessAWritableFileIsNamed)
{
    QQuickWindow window;
    qunsetenv(FrameLog::environmentVariable);
    EXPECT_EQ(FrameLog::fromEnvironment(window), nullptr);

    QTemporaryDir dir;
    const QString unwritable = dir.filePath(QStringLiteral("missing/folder/frames"));
    qputenv(FrameLog::environmentVariable, QFile::encodeName(unwritable));
    EXPECT_EQ(FrameLog::fromEnvironment(window), nullptr);
    EXPECT_FALSE(QFile::exists(unwritable));

    const QString writable = dir.filePath(QStringLiteral("frames"));
    qputenv(FrameLog::environmentVariable, QFile::encodeName(writable));
    EXPECT_NE(FrameLog::fromEnvironment(window), nullptr);
    EXPECT_TRUE(QFile::exists(writable));
    qunsetenv(FrameLog::environmentVariable);
}
