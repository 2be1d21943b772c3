#include "TallyLogCapture.h"

#include <algorithm>
#include <memory>

namespace brimlark::test {

namespace {

class CapturingSink : public TallyLogging
{
public:
    void addMessage(const TallyLogMessage &message) override
    {
        std::lock_guard guard(m_mutex);
        if (m_recording) {
            m_messages.push_back(message);
        }
    }

    void setRecording(bool recording)
    {
        std::lock_guard guard(m_mutex);
        m_recording = recording;
        m_messages.clear();
    }

    std::vector<TallyLogMessage> messages() const
    {
        std::lock_guard guard(m_mutex);
        return m_messages;
    }

    void clear()
    {
        std::lock_guard guard(m_mutex);
        m_messages.clear();
    }

private:
    mutable std::mutex m_mutex;
    bool m_recording = false;
    std::vector<TallyLogMessage> m_messages;
};

CapturingSink &sink()
{
    static const std::shared_ptr<CapturingSink> s_sink = [] {
        auto created = std::make_shared<CapturingSink>();
        TallyLogger::addLogging(created);
        return created;
    }();
    return *s_sink;
}

constexpr TallyLogLevel kLevels[]
    = { TallyLogLevel::Debug, TallyLogLevel::Info, TallyLogLevel::Warning, TallyLogLevel::Error };

} // namespace

TallyLogCapture::TallyLogCapture()
{
    sink().setRecording(true);
    for (TallyLogLevel level : kLevels) {
        TallyLogger::enableLevel(level);
    }
}

TallyLogCapture::~TallyLogCapture()
{
    for (TallyLogLevel level : kLevels) {
        TallyLogger::disableLevel(level);
    }
    sink().setRecording(false);
}

std::vector<TallyLogMessage> TallyLogCapture::messages() const
{
    return sink().messages();
}

std::vector<TallyLogMessage> TallyLogCapture::messages(TallyLogLevel level) const
{
    std::vector<TallyLogMessage> result = sink().messages();
    std::erase_if(result, [&](const TallyLogMessage &message) { return message.level != level; });
    return result;
}

std::size_t TallyLogCapture::count(TallyLogLevel level, const std::string &fragment) const
{
    const std::vector<TallyLogMessage> all = messages(level);
    return static_cast<std::size_t>(std::count_if(all.begin(), all.end(),
        [&](const TallyLogMessage &message) { return message.text.find(fragment) != std::string::npos; }));
}

void TallyLogCapture::clear()
{
    sink().clear();
}

} // namespace brimlark::test
