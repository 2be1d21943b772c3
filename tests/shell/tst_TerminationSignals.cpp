#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace {

// The program started from a terminal gets SIGHUP when the terminal closes and
// SIGQUIT from Ctrl+\. Both once ended it without the quit path, leaving its
// settings journal unfolded; they are sent here while it is still starting.
TEST(ProgramSignals, HangUpAndQuitEndTheRealProgramThroughQuit)
{
    for (const int number : { SIGHUP, SIGQUIT }) {
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const QString runtime = home.filePath(u"runtime"_qs);
        ASSERT_TRUE(QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_qs, home.path());
        environment.insert(u"XDG_CONFIG_HOME"_qs, home.filePath(u"config"_qs));
        environment.insert(u"XDG_CACHE_HOME"_qs, home.filePath(u"cache"_qs));
        environment.insert(u"XDG_DATA_HOME"_qs, home.filePath(u"data"_qs));
        environment.insert(u"XDG_RUNTIME_DIR"_qs, runtime);
        environment.insert(u"BRIMLARK_SYSTEM_ROOT"_qs, home.filePath(u"root"_qs));
        environment.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(BRIMLARK_PROGRAM), {});
        ASSERT_TRUE(program.waitForStarted());

        const QDir settings(home.filePath(u"config/brimlark"_qs));
        const QStringList journals { u"*.journal-*"_qs };
        ASSERT_TRUE(brimlark::test::waitUntil(
            [&] { return !settings.entryList(journals, QDir::Files).isEmpty(); }, 30000));
        ::kill(pid_t(program.processId()), number);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << number;
        EXPECT_EQ(program.exitCode(), 0) << number;
        EXPECT_TRUE(settings.entryList(journals, QDir::Files).isEmpty()) << number;
    }
}

} // namespace
