#include "GridFixture.h"
#include "TestSupport.h"

#include "grid/SetupHiddenLockController.h"
#include "grid/UnlockHiddenController.h"

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

const QString empty = QStringLiteral("Password cannot be empty");
const QString differ = QStringLiteral("Passwords do not match");

} // namespace

TEST(HiddenLockForms, SetUpChecksInOrder)
{
    const struct
    {
        QString password;
        QString confirmation;
        std::optional<QString> error;
    } rows[] = {
        { {}, {}, empty },
        { {}, QStringLiteral("x"), empty },
        { QStringLiteral("Secret"), QStringLiteral("secret"), differ },
        { QStringLiteral("a"), {}, differ },
        { QStringLiteral(" "), QStringLiteral(" "), std::nullopt },
        { QStringLiteral("caf\u00e9"), QStringLiteral("cafe\u0301"), std::nullopt },
    };
    for (const auto &r : rows) {
        EXPECT_EQ(SetupHiddenLockController::validationError(r.password, r.confirmation), r.error)
            << r.password.toStdString();
    }
    EXPECT_EQ(SetupHiddenLockController::failureMessage(std::nullopt), u"Touch ID registration failed");
    EXPECT_EQ(SetupHiddenLockController::failureMessage(QStringLiteral("Canceled")), u"Canceled");
    EXPECT_EQ(UnlockHiddenController::unlockMessage(true), QString());
    EXPECT_EQ(UnlockHiddenController::unlockMessage(false), u"Incorrect Password");
    EXPECT_EQ(UnlockHiddenController::resetFailureMessage(std::nullopt), u"Touch ID reset failed");
}

TEST(HiddenLockForms, SetUpThenUnlockAsTheScreensDriveIt)
{
    test::GridFixture f;
    SetupHiddenLockController setup;
    setup.setLock(f.vm().hiddenItemsLock());
    setup.submit();
    EXPECT_EQ(setup.errorMessage(), empty);
    setup.setProperty("password", QStringLiteral("pw"));
    setup.setProperty("confirmPassword", QStringLiteral("PW"));
    setup.submit();
    EXPECT_EQ(setup.errorMessage(), differ);
    setup.setProperty("confirmPassword", QStringLiteral("pw"));
    setup.setProperty("useTouchID", true);
    setup.submit();
    EXPECT_TRUE(setup.busy());
    ASSERT_TRUE(test::waitUntil([&] { return f.vm().hiddenItemsLock()->isUnlocked(); }));
    EXPECT_FALSE(setup.busy());
    EXPECT_EQ(setup.errorMessage(), differ); // kept until a newer message or the screen goes
    EXPECT_TRUE(f.vm().hiddenItemsLock()->isTouchIDEnabled());

    f.vm().hiddenItemsLock()->lock();
    UnlockHiddenController unlock;
    unlock.setLock(f.vm().hiddenItemsLock());
    // Flag on, no hardware: the button shows, the reset does not, and the
    // automatic prompt asks nothing.
    EXPECT_TRUE(unlock.showsTouchID());
    EXPECT_FALSE(unlock.showsReset());
    unlock.appeared();
    EXPECT_TRUE(f.biometrics.reasons.isEmpty());
    unlock.submitUnlock(); // empty field
    ASSERT_TRUE(test::waitUntil([&] { return !unlock.errorMessage().isEmpty(); }));
    EXPECT_EQ(unlock.errorMessage(), u"Incorrect Password");
    unlock.setProperty("passwordInput", QStringLiteral("pw"));
    unlock.submitUnlock();
    ASSERT_TRUE(test::waitUntil([&] { return f.vm().hiddenItemsLock()->isUnlocked(); }));
    EXPECT_EQ(unlock.errorMessage(), QString());
}

TEST(HiddenLockForms, TouchIdPathsWhereBiometricsExist)
{
    test::GridFixture f;
    f.biometrics.available = true;
    f.biometrics.succeed = false;
    SetupHiddenLockController setup;
    setup.setLock(f.vm().hiddenItemsLock());
    setup.setProperty("password", QStringLiteral("pw"));
    setup.setProperty("confirmPassword", QStringLiteral("pw"));
    setup.setProperty("useTouchID", true);
    setup.submit();
    ASSERT_TRUE(test::waitUntil([&] { return !setup.errorMessage().isEmpty(); }));
    EXPECT_EQ(setup.errorMessage(), u"Touch ID setup failed");

    f.biometrics.succeed = true;
    setup.submit();
    ASSERT_TRUE(test::waitUntil([&] { return f.vm().hiddenItemsLock()->isSecurityPasswordSet(); }));
    f.vm().hiddenItemsLock()->lock();

    UnlockHiddenController unlock;
    unlock.setLock(f.vm().hiddenItemsLock());
    EXPECT_TRUE(unlock.showsReset());
    unlock.appeared(); // the prompt comes by itself
    ASSERT_TRUE(test::waitUntil([&] { return f.vm().hiddenItemsLock()->isUnlocked(); }));
    EXPECT_EQ(f.biometrics.reasons.back(), u"Unlock Hidden Items");

    f.vm().hiddenItemsLock()->lock();
    f.biometrics.succeed = false;
    unlock.resetWithTouchID();
    ASSERT_TRUE(test::waitUntil([&] { return !unlock.errorMessage().isEmpty(); }));
    EXPECT_EQ(unlock.errorMessage(), u"Touch ID Authentication failed");
    f.biometrics.succeed = true;
    unlock.resetWithTouchID();
    ASSERT_TRUE(test::waitUntil([&] { return !f.vm().hiddenItemsLock()->isSecurityPasswordSet(); }));
    EXPECT_FALSE(unlock.showsTouchID());
}
