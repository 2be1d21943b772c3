#pragma once

#include "platform/core/RulerPresence.h"

namespace brimlark::test {

// A ruler the test shows and hides by a flag.
struct FakeRulerPresence : RulerPresence
{
    bool showing = false;
    bool isRulerShowing() const override { return showing; }
};

} // namespace brimlark::test
