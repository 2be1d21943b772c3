#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace brimlark {

// Biometric owner authentication (fingerprint only; an account password is
// never accepted in its place). Each call stands for a fresh context: the
// capability is asked again every time.
class Biometrics
{
public:
    struct Capability
    {
        bool canEvaluate = false;
        // Why the check cannot run, when the service can say.
        std::optional<QString> errorDescription;
    };
    // Called exactly once, on any thread; the error is absent on success and
    // may be absent on failure.
    using Reply = std::function<void(bool success, std::optional<QString> errorDescription)>;

    virtual ~Biometrics();

    virtual Capability canEvaluatePolicy() = 0;
    // Prompts the user with the given reason.
    virtual void evaluatePolicy(const QString &reason, Reply reply) = 0;
};

// This machine's service: on Linux there is no biometric hardware the
// launcher can use, so it always reports itself unavailable.
class UnavailableBiometrics : public Biometrics
{
public:
    Capability canEvaluatePolicy() override;
    void evaluatePolicy(const QString &reason, Reply reply) override;
};

} // namespace brimlark
