#include "model/OneShotTimer.h"

#include <QTimer>

namespace brimlark {

namespace {
class QtOneShotTimer final : public OneShotTimer
{
public:
    QtOneShotTimer()
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto fire = std::move(m_fire);
            m_fire = nullptr;
            if (fire) {
                fire();
            }
        });
    }
    void start(int msec, std::function<void()> fire) override
    {
        m_fire = std::move(fire);
        m_timer.start(msec);
    }
    void stop() override
    {
        m_timer.stop();
        m_fire = nullptr;
    }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_fire;
};
} // namespace

OneShotTimer::~OneShotTimer() = default;

std::unique_ptr<OneShotTimer> OneShotTimer::create()
{
    return std::make_unique<QtOneShotTimer>();
}

} // namespace brimlark
