#include "platform/core/Biometrics.h"

#include <gtest/gtest.h>

using namespace brimlark;

TEST(Biometrics, LinuxReportsNotAvailableWithoutAnError)
{
    UnavailableBiometrics b;
    const auto capability = b.canEvaluatePolicy();
    EXPECT_FALSE(capability.canEvaluate);
    // Callers show their own fallback text when the service gives none.
    EXPECT_FALSE(capability.errorDescription.has_value());
}

TEST(Biometrics, EvaluationOnLinuxFailsExactlyOnce)
{
    int calls = 0;
    bool success = true;
    std::optional<QString> error;
    UnavailableBiometrics().evaluatePolicy(
        QStringLiteral("Unlock Hidden Items"), [&](bool ok, std::optional<QString> e) {
            ++calls;
            success = ok;
            error = std::move(e);
        });
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(success);
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->isEmpty());
}
