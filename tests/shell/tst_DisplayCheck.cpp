// The real program started with and without a display to go to.
#include "shell/DisplayCheck.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace brimlark;

TEST(DisplayCheck, WithoutADisplayTheProgramSaysSoInOneLineAndEndsWithOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString runtime = dir.path() + QStringLiteral("/runtime");
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_TRUE(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const struct
    {
        QStringList environment;
        QStringList arguments;
        bool starts;
    } rows[] = {
        { {}, {}, false },
        { { QStringLiteral("DISPLAY=not a display") }, {}, false },
        { { QStringLiteral("XDG_SESSION_TYPE=wayland"), QStringLiteral("WAYLAND_DISPLAY=gone") }, {}, false },
        { { QStringLiteral("QT_QPA_PLATFORM=xcb") }, {}, false },
        // As the tests and benchmarks run it, or told on the command line.
        { { QStringLiteral("QT_QPA_PLATFORM=offscreen") }, {}, true },
        { {}, { QStringLiteral("-platform"), QStringLiteral("offscreen") }, true },
    };
    for (const auto &row : rows) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE",
                 "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" }) {
            env.remove(QString::fromLatin1(name));
        }
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("BRIMLARK_SYSTEM_ROOT"), dir.path());
        for (const QString &entry : row.environment) {
            env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
        }
        const std::string what = (row.environment + row.arguments).join(QLatin1Char(' ')).toStdString();
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(BRIMLARK_PROGRAM), row.arguments);
        if (row.starts) {
            // Past the check the window is made and the hot key tried.
            QByteArray out;
            EXPECT_TRUE(test::waitUntil(
                [&] { return (out += program.readAllStandardOutput()).contains("global hotkey"); }, 30000))
                << what << ": " << out.toStdString() << program.readAllStandardError().toStdString();
            program.terminate();
            EXPECT_TRUE(program.waitForFinished(20000)) << what;
            EXPECT_FALSE(program.readAllStandardError().contains(DisplayCheck::NoDisplayLine.toUtf8()))
                << what;
        } else {
            ASSERT_TRUE(program.waitForFinished(20000)) << what;
            EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << what;
            EXPECT_EQ(program.exitCode(), 1) << what;
            EXPECT_EQ(program.readAllStandardError().toStdString(),
                (DisplayCheck::NoDisplayLine + u'\n').toStdString())
                << what;
        }
    }
}
