#include "shell/ConsoleRouting.h"

#include "platform/core/PlatformLog.h"
#include "shell/ShellLog.h"

#include <cstring>

namespace brimlark {

namespace {

QtMessageHandler s_previousHandler = nullptr;

void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (ConsoleRouting::print(type, context.category, message, stdout, stderr)) {
        return;
    }
    if (s_previousHandler) {
        s_previousHandler(type, context, message);
        return;
    }
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
}

} // namespace

void ConsoleRouting::install()
{
    ConsoleLog::installSink(&ConsoleRouting::route);
    const QtMessageHandler previous = qInstallMessageHandler(handleMessage);
    if (previous != handleMessage) {
        s_previousHandler = previous;
    }
}

void ConsoleRouting::route(ConsoleLog::Layer layer, ConsoleLog::Level level, const std::string &line)
{
    const QLoggingCategory &category = layer == ConsoleLog::Layer::Platform ? lcPlatform() : lcAnalytics();
    const QString text = QString::fromStdString(line);
    if (level == ConsoleLog::Level::Info) {
        qCInfo(category).noquote() << text;
    } else {
        qCWarning(category).noquote() << text;
    }
}

bool ConsoleRouting::print(
    QtMsgType type, const char *category, const QString &message, std::FILE *out, std::FILE *err)
{
    constexpr char prefix[] = "brimlark.";
    if (!category || std::strncmp(category, prefix, sizeof prefix - 1) != 0) {
        return false;
    }
    // One write per line: lines from several threads do not interleave.
    const QByteArray line = message.toUtf8() + '\n';
    std::FILE *stream = type == QtDebugMsg || type == QtInfoMsg ? out : err;
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stream);
    std::fflush(stream);
    return true;
}

} // namespace brimlark
