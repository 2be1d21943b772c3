#include "ManualTallyClock.h"

namespace brimlark {

void ManualTallyClock::advance(double seconds)
{
    double current = m_now.load();
    while (!m_now.compare_exchange_weak(current, current + seconds)) { }
}

} // namespace brimlark
