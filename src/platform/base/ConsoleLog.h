#pragma once

#include <functional>
#include <string>

namespace brimlark {

// The console of the parts without Qt (the settings store, the analytics
// client). A line goes to standard output (information) or standard error
// (a warning) until the program installs a sink; the program's sink takes
// every line, with the layer it came from, into its one log facility.
class ConsoleLog
{
public:
    enum class Layer { Platform, Analytics };
    enum class Level { Info, Warning };
    using Sink = std::function<void(Layer layer, Level level, const std::string &line)>;

    // For the whole process; an empty sink restores the standard streams.
    static void installSink(Sink sink);
    // One line, without its line feed. Safe from any thread.
    static void write(Layer layer, Level level, const std::string &line);
};

} // namespace brimlark
