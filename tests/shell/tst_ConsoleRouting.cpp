#include "shell/ConsoleRouting.h"

#include "analytics/AnalyticsManager.h"
#include "analytics/TallyLogger.h"
#include "platform/base/ConsoleLog.h"
#include "platform/base/Defaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <vector>

using namespace brimlark;

namespace {

struct Message
{
    QtMsgType type;
    QByteArray category;
    QString text;
};

std::vector<Message> *s_messages = nullptr;

void collect(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (s_messages) {
        s_messages->push_back({ type, QByteArray(context.category), text });
    }
}

std::string contentsOf(std::FILE *stream)
{
    std::fflush(stream);
    std::rewind(stream);
    std::string out;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) {
        out += char(c);
    }
    return out;
}

} // namespace

// The parts without Qt write to their console; with the program's sink in
// place each line arrives in its layer's category, its text unchanged.
TEST(ConsoleRoutingTest, LinesOfThePartsWithoutQtArriveInTheirLayersCategory)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("standard.plist")).toStdString();
    std::ofstream(file) << "not a property list";
    struct Case
    {
        const char *name;
        std::function<void()> write;
        QtMsgType type;
        QByteArray category;
        QString text; // the start of it where the rest varies
    };
    const Case cases[] = {
        { "settings", [&file] { Defaults defaults(file); }, QtWarningMsg, "brimlark.platform",
            QString::fromStdString(
                "Defaults: " + file + " could not be read; kept as " + file + ".unreadable-") },
        { "analytics facade", [] { AnalyticsManager(AnalyticsManager::Configuration {}).initialize(); },
            QtInfoMsg, "brimlark.analytics",
            QStringLiteral("🔍 Analytics is off: this build has no analytics server URL") },
        { "analytics client",
            [] {
                PrintLogging().addMessage(
                    { "Flush.cpp", "flushQueue(_:)", "nothing to send", TallyLogLevel::Warning });
            },
            QtInfoMsg, "brimlark.analytics",
            QStringLiteral("[Tally - Flush.cpp - func flushQueue(_:)] (warning) - nothing to send") },
    };
    std::vector<Message> messages;
    s_messages = &messages;
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    ConsoleLog::installSink(&ConsoleRouting::route);
    for (const Case &c : cases) {
        messages.clear();
        c.write();
        ASSERT_EQ(messages.size(), 1u) << c.name;
        EXPECT_EQ(messages[0].type, c.type) << c.name;
        EXPECT_EQ(messages[0].category, c.category) << c.name;
        EXPECT_TRUE(messages[0].text.startsWith(c.text)) << c.name << ": " << messages[0].text.toStdString();
    }
    ConsoleLog::installSink({});
    qInstallMessageHandler(previous);
    s_messages = nullptr;
}

// The program's lines keep the streams and texts they always had; anything
// else is left to Qt's handler.
TEST(ConsoleRoutingTest, TheProgramsMessagesReachTheTerminalAsWritten)
{
    const QString text = QStringLiteral("📡 Monitoring 3 directories for app changes");
    const std::string line = text.toStdString() + "\n";
    struct Case
    {
        QtMsgType type;
        const char *category;
        bool printed;
        bool onStandardOutput;
    };
    const Case cases[] = {
        { QtInfoMsg, "brimlark.model", true, true },
        { QtDebugMsg, "brimlark.analytics", true, true },
        { QtWarningMsg, "brimlark.shell", true, false },
        { QtCriticalMsg, "brimlark.state", true, false },
        { QtWarningMsg, "qt.qpa.xcb", false, false },
        { QtWarningMsg, "default", false, false },
        { QtInfoMsg, "brimlarkish", false, false },
        { QtInfoMsg, nullptr, false, false },
    };
    for (const Case &c : cases) {
        std::FILE *out = std::tmpfile();
        std::FILE *err = std::tmpfile();
        ASSERT_TRUE(out && err);
        const char *name = c.category ? c.category : "(none)";
        EXPECT_EQ(ConsoleRouting::print(c.type, c.category, text, out, err), c.printed) << name;
        EXPECT_EQ(contentsOf(out), c.printed && c.onStandardOutput ? line : "") << name;
        EXPECT_EQ(contentsOf(err), c.printed && !c.onStandardOutput ? line : "") << name;
        std::fclose(out);
        std::fclose(err);
    }
}
