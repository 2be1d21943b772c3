#pragma once

namespace brimlark {

class TallyInstance;

// Asked before every flush of an instance; the application sets none.
class TallyDelegate
{
public:
    virtual ~TallyDelegate();
    // False stops the flush before anything is loaded.
    virtual bool shouldFlush(TallyInstance &instance) = 0;
};

} // namespace brimlark
