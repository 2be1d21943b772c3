#pragma once

#include "analytics/FlushType.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace brimlark {

// What the flush component asks of its instance.
class FlushDelegate
{
public:
    virtual ~FlushDelegate();

    // Load and send the queues; the timer asks for a partial flush without a completion.
    virtual void flush(bool performFullFlush, std::function<void()> completion) = 0;
    // The listed store rows of that kind were delivered and may be deleted.
    virtual void flushSuccess(FlushType type, const std::vector<std::int32_t> &ids) = 0;
};

} // namespace brimlark
