#pragma once

#include "analytics/TallyLogger.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace brimlark::test {

// A log sink that keeps every message of the client logger, with all levels enabled. The logger
// has no way to remove a sink, so there is one per test binary; clear() between cases.
class CapturedLog : public TallyLogging
{
public:
    static CapturedLog &instance()
    {
        static const std::shared_ptr<CapturedLog> s_log = [] {
            auto log = std::shared_ptr<CapturedLog>(new CapturedLog);
            TallyLogger::addLogging(log);
            for (const auto level :
                { TallyLogLevel::Debug, TallyLogLevel::Info, TallyLogLevel::Warning, TallyLogLevel::Error }) {
                TallyLogger::enableLevel(level);
            }
            return log;
        }();
        return *s_log;
    }

    void addMessage(const TallyLogMessage &message) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(message);
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_messages.clear();
    }

    std::vector<TallyLogMessage> messages() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

    // Messages of that level whose text equals the given text.
    std::size_t count(TallyLogLevel level, std::string_view text) const
    {
        std::lock_guard lock(m_mutex);
        return std::count_if(m_messages.begin(), m_messages.end(),
            [&](const TallyLogMessage &m) { return m.level == level && m.text == text; });
    }

    // Messages of that level whose text begins with the given prefix.
    std::size_t countStartingWith(TallyLogLevel level, std::string_view prefix) const
    {
        std::lock_guard lock(m_mutex);
        return std::count_if(m_messages.begin(), m_messages.end(), [&](const TallyLogMessage &m) {
            return m.level == level && std::string_view(m.text).substr(0, prefix.size()) == prefix;
        });
    }

    std::size_t count(TallyLogLevel level) const
    {
        std::lock_guard lock(m_mutex);
        return std::count_if(
            m_messages.begin(), m_messages.end(), [&](const TallyLogMessage &m) { return m.level == level; });
    }

private:
    CapturedLog() = default;
    mutable std::mutex m_mutex;
    std::vector<TallyLogMessage> m_messages;
};

} // namespace brimlark::test
