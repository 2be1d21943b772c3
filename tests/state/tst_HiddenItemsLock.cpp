#include "state/HiddenItemsLock.h"

#include "platform/base/Defaults.h"
#include "platform/core/Biometrics.h"
#include "state/HiddenItemsPassword.h"

#include "TestSupport.h"
#include "support/LockOutcome.h"
#include "support/ThreadedBiometrics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <mutex>
#include <string>
#include <thread>

using namespace brimlark;
using test::check;
using test::Outcome;
using test::setPassword;
using test::ThreadedBiometrics;
using ::testing::IsEmpty;

namespace {

class HiddenItemsLockTest : public ::testing::Test
{
protected:
    HiddenItemsLock::Services services()
    {
        HiddenItemsLock::Services s;
        s.defaults = &defaults;
        s.biometrics = &biometrics;
        s.passwordLimits = PasswordHashing::Limits::minimum();
        return s;
    }
    HiddenItemsLock &makeLock()
    {
        lock = std::make_unique<HiddenItemsLock>(services());
        return *lock;
    }

    test::TemporaryRoots roots;
    Defaults defaults;
    ThreadedBiometrics biometrics;
    std::unique_ptr<HiddenItemsLock> lock;
};

} // namespace

TEST_F(HiddenItemsLockTest, EachOperationIsOneChangeAfterItsNotifySignals)
{
    auto &v = makeLock();
    std::vector<std::string> order;
    const auto record = [&order](const char *name) { return [&order, name] { order.push_back(name); }; };
    QObject::connect(&v, &HiddenItemsLock::isUnlockedChanged, &v, record("unlocked"));
    QObject::connect(&v, &HiddenItemsLock::securityChanged, &v, record("security"));
    QObject::connect(&v, &HiddenItemsLock::isPasswordBusyChanged, &v, record("busy"));
    QObject::connect(&v, &HiddenItemsLock::changed, &v, record("changed"));
    const struct
    {
        const char *what;
        std::function<void()> act;
        std::vector<std::string> expected;
    } rows[] = {
        { "unlock", [&] { v.setUnlocked(true); }, { "unlocked", "changed" } },
        { "unlock again", [&] { v.setUnlocked(true); }, {} },
        { "lock", [&] { v.lock(); }, { "unlocked", "changed" } },
        { "lock again", [&] { v.lock(); }, {} },
        { "disable while locked", [&] { v.disableSecurity(); }, { "security", "changed" } },
        { "disable while unlocked",
            [&] {
                v.setUnlocked(true);
                order.clear();
                v.disableSecurity();
            },
            { "unlocked", "security", "changed" } },
    };
    for (const auto &row : rows) {
        order.clear();
        row.act();
        EXPECT_EQ(order, row.expected) << row.what;
    }

    // Storing a password ends being busy, unlocks and stores as one change.
    order.clear();
    Outcome outcome;
    ASSERT_TRUE(v.setSecurityPassword(QStringLiteral("pw"), false, outcome.completion()));
    EXPECT_EQ(order, (std::vector<std::string> { "busy", "changed" }));
    order.clear();
    ASSERT_TRUE(test::waitUntil([&] { return outcome.calls == 1; }));
    EXPECT_EQ(order, (std::vector<std::string> { "unlocked", "security", "busy", "changed" }));
}

TEST_F(HiddenItemsLockTest, NoPasswordMeansTheEmptyTextUnlocks)
{
    auto &v = makeLock();
    EXPECT_FALSE(v.isSecurityPasswordSet());
    EXPECT_FALSE(check(v, QStringLiteral("x")));
    EXPECT_FALSE(v.isUnlocked());
    EXPECT_TRUE(check(v, QString()));
    EXPECT_TRUE(v.isUnlocked());
}

TEST_F(HiddenItemsLockTest, SettingAPasswordWithoutBiometricsStoresAHashAndUnlocks)
{
    auto &v = makeLock();
    QSignalSpy security(&v, &HiddenItemsLock::securityChanged);
    const Outcome outcome = setPassword(v, QStringLiteral("s3cret"), true);
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_TRUE(outcome.success);
    EXPECT_THAT(biometrics.reasons, IsEmpty());
    EXPECT_TRUE(v.isUnlocked());
    EXPECT_TRUE(v.isSecurityPasswordSet());
    EXPECT_TRUE(v.isTouchIDEnabled());
    EXPECT_GE(security.count(), 1);
    const auto stored = defaults.string(HiddenItemsPassword::passwordKey);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(PasswordHashing::isHash(*stored));

    v.lock();
    EXPECT_FALSE(check(v, QStringLiteral("S3cret")));
    EXPECT_FALSE(v.isUnlocked());
    EXPECT_TRUE(check(v, QStringLiteral("s3cret")));
    EXPECT_TRUE(v.isUnlocked());

    v.disableSecurity();
    EXPECT_FALSE(v.isSecurityPasswordSet());
    EXPECT_FALSE(v.isTouchIDEnabled());
    EXPECT_FALSE(v.isUnlocked());
    EXPECT_EQ(defaults.boolean(HiddenItemsPassword::useTouchIDKey), false);
}

TEST_F(HiddenItemsLockTest, SettingAPasswordAsksTouchIdFirstWhereAvailable)
{
    biometrics.available = true;
    auto &v = makeLock();
    QSignalSpy raise(&v, &HiddenItemsLock::windowActivationRequested);

    // Refused: nothing stored, the platform's text or the fallback.
    const struct
    {
        std::optional<QString> error;
        QString message;
    } failures[] = { { QStringLiteral("User canceled"), QStringLiteral("User canceled") },
        { std::nullopt, QStringLiteral("Touch ID setup failed") } };
    for (const auto &f : failures) {
        biometrics.succeed = false;
        biometrics.replyError = f.error;
        Outcome outcome;
        v.setSecurityPassword(QStringLiteral("pw"), true, outcome.completion());
        EXPECT_EQ(outcome.calls, 0); // the reply is never handled synchronously
        ASSERT_TRUE(test::waitUntil([&] { return outcome.calls == 1; }));
        EXPECT_TRUE(outcome.onMainThread);
        EXPECT_FALSE(outcome.success);
        EXPECT_EQ(outcome.message, f.message);
        EXPECT_FALSE(v.isSecurityPasswordSet());
        EXPECT_FALSE(v.isUnlocked());
    }

    biometrics.succeed = true;
    biometrics.replyError.reset();
    Outcome outcome;
    v.setSecurityPassword(QStringLiteral("pw"), false, outcome.completion());
    ASSERT_TRUE(test::waitUntil([&] { return outcome.calls == 1; }));
    EXPECT_TRUE(outcome.success);
    EXPECT_TRUE(outcome.onMainThread);
    EXPECT_TRUE(v.isSecurityPasswordSet());
    EXPECT_FALSE(v.isTouchIDEnabled());
    EXPECT_TRUE(v.isUnlocked());
    EXPECT_EQ(biometrics.reasons.back(),
        QStringLiteral("Authenticate with Touch ID to register new security password"));
    EXPECT_EQ(raise.count(), 3);
}

TEST_F(HiddenItemsLockTest, TouchIdUnlockAndItsWindowActivation)
{
    auto &v = makeLock();
    QSignalSpy raise(&v, &HiddenItemsLock::windowActivationRequested);
    v.tryTouchID(); // unavailable: nothing at all
    QCoreApplication::processEvents();
    EXPECT_THAT(biometrics.reasons, IsEmpty());
    EXPECT_EQ(raise.count(), 0);

    biometrics.available = true;
    biometrics.succeed = false;
    v.tryTouchID();
    ASSERT_TRUE(test::waitUntil([&] { return raise.count() == 1; }));
    EXPECT_FALSE(v.isUnlocked());
    EXPECT_EQ(biometrics.reasons, QStringList { QStringLiteral("Unlock Hidden Items") });

    biometrics.succeed = true;
    v.tryTouchID();
    ASSERT_TRUE(test::waitUntil([&] { return raise.count() == 2; }));
    EXPECT_TRUE(v.isUnlocked());
}

TEST_F(HiddenItemsLockTest, ResetAndDisableWithTouchId)
{
    auto &v = makeLock();
    setPassword(v, QStringLiteral("pw"), true);

    // Unavailable: reset fails with the capability's text or the fallback;
    // disable goes ahead without a check.
    for (const auto &error :
        { std::optional<QString>(QStringLiteral("No sensor")), std::optional<QString>() }) {
        biometrics.capabilityError = error;
        Outcome reset;
        v.resetPasswordUsingTouchID(reset.completion());
        EXPECT_EQ(reset.calls, 1);
        EXPECT_FALSE(reset.success);
        EXPECT_EQ(reset.message, error.value_or(QStringLiteral("Touch ID is not available on this device")));
        EXPECT_TRUE(v.isSecurityPasswordSet());
    }
    Outcome disabled;
    v.disableSecurityWithTouchID(disabled.completion());
    EXPECT_TRUE(disabled.success);
    EXPECT_FALSE(v.isSecurityPasswordSet());

    biometrics.available = true;
    const struct
    {
        bool reset;
        QString reason;
        QString fallback;
    } rows[] = { { true, QStringLiteral("Authenticate to Reset Password"),
                     QStringLiteral("Touch ID Authentication failed") },
        { false, QStringLiteral("Authenticate to disable password lock"),
            QStringLiteral("Touch ID verification failed") } };
    for (const auto &row : rows) {
        for (bool succeed : { false, true }) {
            biometrics.succeed = true;
            setPassword(v, QStringLiteral("pw"), true);
            ASSERT_TRUE(v.isSecurityPasswordSet());
            biometrics.succeed = succeed;
            Outcome outcome;
            if (row.reset) {
                v.resetPasswordUsingTouchID(outcome.completion());
            } else {
                v.disableSecurityWithTouchID(outcome.completion());
            }
            ASSERT_TRUE(test::waitUntil([&] { return outcome.calls == 1; }));
            EXPECT_EQ(biometrics.reasons.back(), row.reason);
            EXPECT_EQ(outcome.success, succeed);
            EXPECT_EQ(v.isSecurityPasswordSet(), !succeed);
            if (!succeed) {
                EXPECT_EQ(outcome.message, row.fallback);
            } else {
                EXPECT_FALSE(v.isTouchIDEnabled());
                EXPECT_FALSE(v.isUnlocked());
            }
        }
    }
}

TEST_F(HiddenItemsLockTest, SetUpReplyAfterTheLockHasGoneStillStoresTheSettings)
{
    biometrics.available = true;
    Outcome outcome;
    makeLock().setSecurityPassword(QStringLiteral("late"), true, outcome.completion());
    lock.reset();
    biometrics.join();
    HiddenItemsPassword stored(defaults, PasswordHashing::Limits::minimum());
    ASSERT_TRUE(test::waitUntil([&] { return stored.isSet(); }));
    EXPECT_EQ(outcome.calls, 0);
    EXPECT_TRUE(stored.matches(QStringLiteral("late")));
    EXPECT_TRUE(stored.useTouchID());
}

TEST_F(HiddenItemsLockTest, ClearTextPasswordIsHashedAtStartAndStillUnlocks)
{
    defaults.set(HiddenItemsPassword::passwordKey, std::string("legacy pw"));
    auto &v = makeLock();
    EXPECT_TRUE(v.isSecurityPasswordSet());
    ASSERT_TRUE(test::waitUntil([&] {
        return PasswordHashing::isHash(defaults.string(HiddenItemsPassword::passwordKey).value_or(""));
    }));
    EXPECT_TRUE(check(v, QStringLiteral("legacy pw")));
}

TEST_F(HiddenItemsLockTest, PasswordWorkLeavesTheGuiThreadFreeAndIgnoresASecondSubmit)
{
    // One worker, held by a task of the test's own: the hashing can only
    // run once the test lets it go.
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    QSemaphore gate;
    pool.start([&gate] { gate.acquire(); });
    auto s = services();
    s.passwordPool = &pool;
    HiddenItemsLock v(s);

    Outcome set;
    ASSERT_TRUE(v.setSecurityPassword(QStringLiteral("pw"), false, set.completion()));
    EXPECT_TRUE(v.isPasswordBusy());
    Outcome second;
    EXPECT_FALSE(v.setSecurityPassword(QStringLiteral("other"), false, second.completion()));
    EXPECT_FALSE(v.checkPassword(QStringLiteral("pw"), {}));
    bool timerRan = false; // the event loop turns while the hash waits
    QTimer::singleShot(0, [&timerRan] { timerRan = true; });
    ASSERT_TRUE(test::waitUntil([&] { return timerRan; }));
    EXPECT_EQ(set.calls, 0);
    gate.release();
    ASSERT_TRUE(test::waitUntil([&] { return set.calls == 1; }));
    EXPECT_TRUE(set.success);
    EXPECT_FALSE(v.isPasswordBusy());
    EXPECT_EQ(second.calls, 0);

    v.lock();
    pool.start([&gate] { gate.acquire(); });
    std::optional<bool> answer;
    ASSERT_TRUE(v.checkPassword(QStringLiteral("pw"), [&answer](bool ok) { answer = ok; }));
    EXPECT_TRUE(v.isPasswordBusy());
    EXPECT_FALSE(v.checkPassword(QStringLiteral("pw"), {}));
    gate.release();
    ASSERT_TRUE(test::waitUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(*answer);
    EXPECT_TRUE(v.isUnlocked());

    // Locked again while a right password was being checked: stays locked.
    v.lock();
    pool.start([&gate] { gate.acquire(); });
    answer.reset();
    ASSERT_TRUE(v.checkPassword(QStringLiteral("pw"), [&answer](bool ok) { answer = ok; }));
    v.lock();
    gate.release();
    ASSERT_TRUE(test::waitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(*answer);
    EXPECT_FALSE(v.isUnlocked());
}

// Whether hashing fails or the settings cannot be written: the failure is
// reported, nothing unlocks and the old password still works.
TEST_F(HiddenItemsLockTest, PasswordThatCannotBeStoredIsReportedAndTheOldOneKept)
{
    // The domain's folder is a file, so no write can reach the disk.
    const QString blocker = roots.root() + QStringLiteral("/not-a-folder");
    QFile(blocker).open(QIODevice::WriteOnly);
    Defaults unwritable(
        std::filesystem::path(blocker.toStdString()) / "standard.plist", [](const std::string &) {});
    const auto old = PasswordHashing::hash(QStringLiteral("old"), PasswordHashing::Limits::minimum());
    ASSERT_TRUE(old);
    unwritable.set(HiddenItemsPassword::passwordKey, *old); // held in memory only
    // Clear text from an earlier build, which failing hashing cannot replace.
    defaults.set(HiddenItemsPassword::passwordKey, std::string("old"));

    const struct
    {
        const char *what;
        Defaults *store;
        PasswordHashing::Limits limits;
        std::string stored;
        std::optional<QString> message; // unset: any text
    } rows[] = {
        { "hashing fails", &defaults, { 0, 0 }, "old", std::nullopt },
        { "unwritable", &unwritable, PasswordHashing::Limits::minimum(), *old,
            QStringLiteral("The password could not be saved") },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        auto s = services();
        s.defaults = row.store;
        s.passwordLimits = row.limits;
        HiddenItemsLock v(s);
        EXPECT_EQ(row.store->string(HiddenItemsPassword::passwordKey), row.stored);
        EXPECT_TRUE(check(v, QStringLiteral("old")));
        v.lock();

        const Outcome outcome = setPassword(v, QStringLiteral("new"), true);
        EXPECT_FALSE(outcome.success);
        ASSERT_TRUE(outcome.message);
        EXPECT_FALSE(outcome.message->isEmpty());
        if (row.message) {
            EXPECT_EQ(outcome.message, row.message);
        }
        EXPECT_EQ(row.store->string(HiddenItemsPassword::passwordKey), row.stored);
        EXPECT_FALSE(v.isUnlocked());
        EXPECT_FALSE(v.isTouchIDEnabled());
        EXPECT_FALSE(check(v, QStringLiteral("new")));
        EXPECT_TRUE(check(v, QStringLiteral("old")));
    }
}
