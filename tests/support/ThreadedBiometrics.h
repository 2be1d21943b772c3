#pragma once

#include "platform/core/Biometrics.h"

#include <QStringList>

#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace brimlark::test {

// Replies from a thread of its own, as the platform's framework does.
class ThreadedBiometrics : public Biometrics
{
public:
    ~ThreadedBiometrics() override { join(); }

    Capability canEvaluatePolicy() override { return { available, capabilityError }; }
    void evaluatePolicy(const QString &reason, Reply reply) override
    {
        reasons << reason;
        const bool ok = succeed;
        const auto error = replyError;
        std::lock_guard lock(m_mutex);
        m_threads.emplace_back([reply = std::move(reply), ok, error] { reply(ok, error); });
    }
    void join()
    {
        std::lock_guard lock(m_mutex);
        for (auto &t : m_threads) {
            t.join();
        }
        m_threads.clear();
    }

    bool available = false;
    std::optional<QString> capabilityError;
    bool succeed = true;
    std::optional<QString> replyError;
    QStringList reasons;

private:
    std::mutex m_mutex;
    std::vector<std::thread> m_threads;
};

} // namespace brimlark::test
