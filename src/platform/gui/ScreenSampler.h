#pragma once

#include <QColor>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace brimlark {

// Lets the user pick the colour of any pixel on any screen.
class ScreenSampler
{
public:
    // Called once, on the main thread: the picked colour (sRGB), or nothing
    // when the user cancelled.
    using Handler = std::function<void(std::optional<QColor>)>;

    virtual ~ScreenSampler();

    // Takes over the screens until the user picks or cancels.
    virtual void showSampler(Handler handler) = 0;
    // Why picking cannot work in this session; empty when it can.
    virtual QString unavailableReason() const { return {}; }

    // The sampler for the running session.
    static std::unique_ptr<ScreenSampler> create();
};

} // namespace brimlark
