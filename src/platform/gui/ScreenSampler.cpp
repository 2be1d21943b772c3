#include "platform/gui/ScreenSampler.h"

#include "platform/gui/X11ScreenSampler.h"

#include <QGuiApplication>
#include <QMetaObject>

namespace brimlark {

namespace {
class UnavailableScreenSampler final : public ScreenSampler
{
public:
    void showSampler(Handler handler) override
    {
        QMetaObject::invokeMethod(
            qGuiApp, [handler = std::move(handler)] { handler(std::nullopt); }, Qt::QueuedConnection);
    }
    QString unavailableReason() const override
    {
        return QStringLiteral("Picking a colour from the screen needs an X11 session.");
    }
};
} // namespace

ScreenSampler::~ScreenSampler() = default;

std::unique_ptr<ScreenSampler> ScreenSampler::create()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        return std::make_unique<X11ScreenSampler>();
    }
    return std::make_unique<UnavailableScreenSampler>();
}

} // namespace brimlark
