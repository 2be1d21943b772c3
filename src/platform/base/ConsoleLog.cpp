#include "platform/base/ConsoleLog.h"

#include <iostream>
#include <memory>
#include <mutex>

namespace brimlark {

namespace {

std::mutex s_sinkMutex;
// Shared so that a line being written keeps the sink it started with.
std::shared_ptr<const ConsoleLog::Sink> s_sink;

} // namespace

void ConsoleLog::installSink(Sink sink)
{
    auto installed = sink ? std::make_shared<const Sink>(std::move(sink)) : nullptr;
    std::lock_guard lock(s_sinkMutex);
    s_sink = std::move(installed);
}

void ConsoleLog::write(Layer layer, Level level, const std::string &line)
{
    std::shared_ptr<const Sink> sink;
    {
        std::lock_guard lock(s_sinkMutex);
        sink = s_sink;
    }
    if (sink) {
        (*sink)(layer, level, line);
        return;
    }
    // One write per line: lines from several threads do not interleave.
    std::ostream &out = level == Level::Info ? std::cout : std::cerr;
    out << (line + "\n") << std::flush;
}

} // namespace brimlark
