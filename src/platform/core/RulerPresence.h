#pragma once

namespace brimlark {

// Whether the screen ruler shows, for the layers below the desk tools that
// react to it (a reopen of the launcher while it shows is told to the ruler).
class RulerPresence
{
public:
    virtual bool isRulerShowing() const = 0;

protected:
    ~RulerPresence() = default;
};

} // namespace brimlark
