#pragma once

#include "analytics/TallyLogger.h"

#include <mutex>
#include <string>
#include <vector>

namespace brimlark::test {

// Collects what the client logs while it is alive: enables every level on construction and
// disables them again on destruction. One capturing sink is registered per process (sinks cannot
// be removed); only the live capture records.
class TallyLogCapture
{
public:
    TallyLogCapture();
    ~TallyLogCapture();
    TallyLogCapture(const TallyLogCapture &) = delete;
    TallyLogCapture &operator=(const TallyLogCapture &) = delete;

    std::vector<TallyLogMessage> messages() const;
    std::vector<TallyLogMessage> messages(TallyLogLevel level) const;
    // Messages of that level whose text contains the fragment.
    std::size_t count(TallyLogLevel level, const std::string &fragment) const;
    void clear();
};

} // namespace brimlark::test
