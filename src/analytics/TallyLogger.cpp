#include "analytics/TallyLogger.h"

#include "analytics/ReadWriteLock.h"
#include "platform/base/ConsoleLog.h"

#include <charconv>
#include <iostream>
#include <set>
#include <vector>

namespace brimlark {

namespace {

struct LoggerState
{
    ReadWriteLock readWriteLock { "loggerLock" };
    std::vector<std::shared_ptr<TallyLogging>> loggers;
    std::set<TallyLogLevel> enabledLevels;
};

// Created on first use and never destroyed, so logging from other static destructors or from
// detached worker threads at exit stays safe.
LoggerState &state()
{
    static LoggerState *s_state = new LoggerState;
    return *s_state;
}

} // namespace

std::string_view rawValue(TallyLogLevel level)
{
    switch (level) {
    case TallyLogLevel::Debug:
        return "debug";
    case TallyLogLevel::Info:
        return "info";
    case TallyLogLevel::Warning:
        return "warning";
    case TallyLogLevel::Error:
        return "error";
    }
    return "debug";
}

std::optional<TallyLogLevel> tallyLogLevelFromRawValue(std::string_view raw)
{
    for (TallyLogLevel level :
        { TallyLogLevel::Debug, TallyLogLevel::Info, TallyLogLevel::Warning, TallyLogLevel::Error }) {
        if (rawValue(level) == raw) {
            return level;
        }
    }
    return std::nullopt;
}

std::string consoleLine(const TallyLogMessage &message)
{
    std::string line = "[Tally - ";
    line += message.file;
    line += " - func ";
    line += message.function;
    line += "] (";
    line += rawValue(message.level);
    line += ") - ";
    line += message.text;
    return line;
}

std::string fileLine(const TallyLogMessage &message)
{
    std::string line = "File: ";
    line += message.file;
    line += " - Func: ";
    line += message.function;
    line += " - Level: ";
    line += rawValue(message.level);
    line += " - Message: ";
    line += message.text;
    return line;
}

std::string debugQuoted(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                out += "\\u{";
                if (byte >= 0x10) {
                    out += hex[byte >> 4];
                }
                out += hex[byte & 0xF];
                out += '}';
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

namespace {

// To the program's console, or with a line feed to the stream a print sink was given.
void printLine(std::ostream *out, const std::string &line)
{
    if (!out) {
        ConsoleLog::write(ConsoleLog::Layer::Analytics, ConsoleLog::Level::Info, line);
        return;
    }
    *out << line << '\n' << std::flush;
}

} // namespace

TallyLogging::~TallyLogging() = default;

PrintLogging::PrintLogging()
    : m_out(nullptr)
{
}

PrintLogging::PrintLogging(std::ostream &out)
    : m_out(&out)
{
}

void PrintLogging::addMessage(const TallyLogMessage &message)
{
    printLine(m_out, consoleLine(message));
}

PrintDebugLogging::PrintDebugLogging()
    : m_out(nullptr)
{
}

PrintDebugLogging::PrintDebugLogging(std::ostream &out)
    : m_out(&out)
{
}

void PrintDebugLogging::addMessage(const TallyLogMessage &message)
{
    printLine(m_out, debugQuoted(consoleLine(message)));
}

FileLogging::FileLogging(const std::string &path)
    : m_fileHandle(std::fopen(path.c_str(), "ab"))
{
}

FileLogging::~FileLogging()
{
    if (m_fileHandle) {
        std::fclose(m_fileHandle);
    }
}

void FileLogging::addMessage(const TallyLogMessage &message)
{
    if (!m_fileHandle) {
        return;
    }
    const std::string line = fileLine(message);
    std::fwrite(line.data(), 1, line.size(), m_fileHandle);
    std::fflush(m_fileHandle);
}

void TallyLogger::addLogging(std::shared_ptr<TallyLogging> logging)
{
    if (!logging) {
        return;
    }
    LoggerState &s = state();
    s.readWriteLock.write([&] { s.loggers.push_back(std::move(logging)); });
}

void TallyLogger::enableLevel(TallyLogLevel level)
{
    LoggerState &s = state();
    s.readWriteLock.write([&] { s.enabledLevels.insert(level); });
}

void TallyLogger::disableLevel(TallyLogLevel level)
{
    LoggerState &s = state();
    s.readWriteLock.write([&] { s.enabledLevels.erase(level); });
}

bool TallyLogger::isEnabled(TallyLogLevel level)
{
    const LoggerState &s = state();
    return s.readWriteLock.read([&] { return s.enabledLevels.count(level) > 0; });
}

std::string TallyLogger::fileNameFromPath(std::string_view path)
{
    // Empty pieces do not count, as when splitting "a/b/" yields "a" and "b".
    std::string_view rest = path;
    while (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);
    }
    if (rest.empty()) {
        return std::string(path);
    }
    const auto slash = rest.rfind('/');
    return std::string(slash == std::string_view::npos ? rest : rest.substr(slash + 1));
}

std::string TallyLogger::renderDouble(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void TallyLogger::forwardLogMessage(const TallyLogMessage &message)
{
    LoggerState &s = state();
    const auto loggers = s.readWriteLock.read([&] { return s.loggers; });
    s.readWriteLock.write([&] {
        for (const auto &logging : loggers) {
            logging->addMessage(message);
        }
    });
}

} // namespace brimlark
