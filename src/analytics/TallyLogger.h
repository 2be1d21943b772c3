#pragma once

#include <concepts>
#include <cstdio>
#include <iosfwd>
#include <memory>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace brimlark {

enum class TallyLogLevel {
    Debug,
    Info,
    Warning,
    Error,
};

// "debug", "info", "warning", "error".
std::string_view rawValue(TallyLogLevel level);
// Exactly the four raw texts, case-sensitive; anything else yields nothing.
std::optional<TallyLogLevel> tallyLogLevelFromRawValue(std::string_view raw);

struct TallyLogMessage
{
    std::string file; // source file name without its folders
    std::string function; // operation name with its argument labels, e.g. "open()"
    std::string text;
    TallyLogLevel level = TallyLogLevel::Debug;
};

// "[Tally - <file> - func <function>] (<level>) - <text>"
std::string consoleLine(const TallyLogMessage &message);
// "File: <file> - Func: <function> - Level: <level> - Message: <text>"
std::string fileLine(const TallyLogMessage &message);
// The console line enclosed in double quotes with quotes, backslashes and control characters escaped.
std::string debugQuoted(std::string_view text);

// A log sink. Called under the logger's write lock: it must not log through TallyLogger itself.
class TallyLogging
{
public:
    virtual ~TallyLogging();
    virtual void addMessage(const TallyLogMessage &message) = 0;
};

// The console sink: one console line per message, to the program's console unless told otherwise (then
// with a line feed).
class PrintLogging : public TallyLogging
{
public:
    PrintLogging();
    explicit PrintLogging(std::ostream &out);
    void addMessage(const TallyLogMessage &message) override;

private:
    std::ostream *m_out;
};

// The console line in its quoted, escaped form; to the program's console unless told otherwise.
class PrintDebugLogging : public TallyLogging
{
public:
    PrintDebugLogging();
    explicit PrintDebugLogging(std::ostream &out);
    void addMessage(const TallyLogMessage &message) override;

private:
    std::ostream *m_out;
};

// Appends file lines (UTF-8, no terminator) to a file it opens for appending and owns.
class FileLogging : public TallyLogging
{
public:
    explicit FileLogging(const std::string &path);
    ~FileLogging() override;
    FileLogging(const FileLogging &) = delete;
    FileLogging &operator=(const FileLogging &) = delete;

    bool isOpen() const { return m_fileHandle != nullptr; }
    void addMessage(const TallyLogMessage &message) override;

private:
    std::FILE *m_fileHandle = nullptr;
};

// The analytics client's one diagnostics channel; all state is process-wide.
//
// The message argument is either text (anything a std::string_view accepts), a number, or a
// callable returning one of those. A callable is only invoked when the level is enabled, so
// expensive messages cost nothing while logging is off.
//
//     TallyLogger::warn("couldn't serialize object", "encodeAPIData(_:)");
//     TallyLogger::debug([&] { return describe(batch); }, "flushQueue(_:type:)");
class TallyLogger
{
public:
    TallyLogger() = delete;

    static void addLogging(std::shared_ptr<TallyLogging> logging);
    static void enableLevel(TallyLogLevel level);
    static void disableLevel(TallyLogLevel level);
    static bool isEnabled(TallyLogLevel level);

    template <typename Message>
    static void debug(Message &&message, std::string_view function,
        std::source_location where = std::source_location::current())
    {
        log(TallyLogLevel::Debug, std::forward<Message>(message), function, where.file_name());
    }
    template <typename Message>
    static void info(Message &&message, std::string_view function,
        std::source_location where = std::source_location::current())
    {
        log(TallyLogLevel::Info, std::forward<Message>(message), function, where.file_name());
    }
    template <typename Message>
    static void warn(Message &&message, std::string_view function,
        std::source_location where = std::source_location::current())
    {
        log(TallyLogLevel::Warning, std::forward<Message>(message), function, where.file_name());
    }
    template <typename Message>
    static void error(Message &&message, std::string_view function,
        std::source_location where = std::source_location::current())
    {
        log(TallyLogLevel::Error, std::forward<Message>(message), function, where.file_name());
    }

    // The common path of the level functions, with the source path given explicitly.
    template <typename Message>
    static void log(
        TallyLogLevel level, Message &&message, std::string_view function, std::string_view sourcePath)
    {
        if (!isEnabled(level)) {
            return;
        }
        std::string text;
        if constexpr (std::is_invocable_v<Message>) {
            text = renderText(std::forward<Message>(message)());
        } else {
            text = renderText(std::forward<Message>(message));
        }
        forwardLogMessage(
            TallyLogMessage { fileNameFromPath(sourcePath), std::string(function), std::move(text), level });
    }

    // The last non-empty "/"-separated piece of a path, or the whole path when there is none.
    static std::string fileNameFromPath(std::string_view path);

private:
    template <typename Value> static std::string renderText(Value &&value)
    {
        using Plain = std::remove_cvref_t<Value>;
        if constexpr (std::is_same_v<Plain, bool>) {
            return value ? std::string("true") : std::string("false");
        } else if constexpr (std::is_convertible_v<Value, std::string_view>) {
            return std::string(std::string_view(value));
        } else if constexpr (std::is_integral_v<Plain>) {
            return std::to_string(value);
        } else if constexpr (std::is_floating_point_v<Plain>) {
            return renderDouble(static_cast<double>(value));
        } else {
            static_assert(std::is_convertible_v<Value, std::string_view>,
                "log messages are text, numbers or callables returning them");
            return {};
        }
    }
    static std::string renderDouble(double value);
    static void forwardLogMessage(const TallyLogMessage &message);
};

} // namespace brimlark
