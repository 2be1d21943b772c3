#include "platform/core/Biometrics.h"

namespace brimlark {

Biometrics::~Biometrics() = default;

Biometrics::Capability UnavailableBiometrics::canEvaluatePolicy()
{
    // No description: callers then show their own "not available" text.
    return { false, std::nullopt };
}

void UnavailableBiometrics::evaluatePolicy(const QString &, Reply reply)
{
    if (reply) {
        reply(false, QStringLiteral("Biometric authentication is not available on this device"));
    }
}

} // namespace brimlark
