#include "state/HiddenItemsLock.h"

#include "platform/core/Biometrics.h"
#include "state/HiddenItemsPassword.h"

#include <QCoreApplication>
#include <QFuture>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace brimlark {

namespace {

const QString unlockReason = QStringLiteral("Unlock Hidden Items");
const QString registerReason = QStringLiteral("Authenticate with Touch ID to register new security password");
const QString resetReason = QStringLiteral("Authenticate to Reset Password");
const QString disableReason = QStringLiteral("Authenticate to disable password lock");

const QString setupFailed = QStringLiteral("Touch ID setup failed");
const QString resetFailed = QStringLiteral("Touch ID Authentication failed");
const QString disableFailed = QStringLiteral("Touch ID verification failed");
const QString notAvailable = QStringLiteral("Touch ID is not available on this device");
const QString passwordNotSaved = QStringLiteral("The password could not be saved");

} // namespace

HiddenItemsLock::HiddenItemsLock(Services services, QObject *parent)
    : QObject(parent)
    , m_biometrics(*services.biometrics)
    , m_password(std::make_shared<HiddenItemsPassword>(*services.defaults, services.passwordLimits))
    , m_ownPasswordPool(services.passwordPool ? nullptr : std::make_unique<QThreadPool>())
    , m_passwordPool(services.passwordPool ? services.passwordPool : m_ownPasswordPool.get())
{
    // A password left in clear text by an earlier build is hashed now, off
    // the GUI thread; if that fails it stays as it was and still unlocks.
    const std::string stored = m_password->storedValue();
    if (!stored.empty() && !PasswordHashing::isHash(stored)) {
        const auto limits = m_password->limits();
        QtConcurrent::run(m_passwordPool, [stored, limits] {
            return PasswordHashing::hash(QString::fromStdString(stored), limits);
        }).then(this, [this, stored](std::optional<std::string> hash) {
            // Only if nothing replaced the old value meanwhile.
            if (hash && m_password->storedValue() == stored) {
                m_password->storeHash(*hash);
            }
        });
    }
}

HiddenItemsLock::~HiddenItemsLock()
{
    // Hashing still running finishes before the state it reads goes.
    m_passwordPool->waitForDone();
}

void HiddenItemsLock::announce(unsigned touched)
{
    ChangeBatch::emitTouched(*this, touched,
        {
            { Unlocked, &HiddenItemsLock::isUnlockedChanged },
            { Security, &HiddenItemsLock::securityChanged },
            { PasswordBusy, &HiddenItemsLock::isPasswordBusyChanged },
        },
        &HiddenItemsLock::changed);
}

void HiddenItemsLock::setUnlocked(bool unlocked)
{
    if (!unlocked) {
        // A check still running must not unlock what was just locked.
        endPasswordEpoch();
    }
    if (m_isUnlocked == unlocked) {
        return;
    }
    const ChangeBatch::Scope operation(m_changes);
    m_isUnlocked = unlocked;
    touch(Unlocked);
}

bool HiddenItemsLock::isSecurityPasswordSet() const
{
    return m_password->isSet();
}

bool HiddenItemsLock::isTouchIDEnabled() const
{
    return m_password->useTouchID();
}

bool HiddenItemsLock::isTouchIDHardwareAvailable() const
{
    return m_biometrics.canEvaluatePolicy().canEvaluate;
}

void HiddenItemsLock::setPasswordBusy(bool busy)
{
    if (m_isPasswordBusy == busy) {
        return;
    }
    const ChangeBatch::Scope operation(m_changes);
    m_isPasswordBusy = busy;
    touch(PasswordBusy);
}

bool HiddenItemsLock::checkPassword(const QString &password, CheckCompletion completion)
{
    if (m_isPasswordBusy) {
        return false;
    }
    setPasswordBusy(true);
    const std::string stored = m_password->storedValue();
    const quint64 epoch = m_passwordEpoch;
    QtConcurrent::run(m_passwordPool, [stored, password] {
        return HiddenItemsPassword::matchesValue(stored, password);
    }).then(this, [this, epoch, completion](bool matched) {
        {
            const ChangeBatch::Scope operation(m_changes);
            setPasswordBusy(false);
            // Locked again, or the password changed, while the check ran.
            matched = matched && epoch == m_passwordEpoch;
            if (matched) {
                setUnlocked(true);
            }
        }
        if (completion) {
            completion(matched);
        }
    });
    return true;
}

void HiddenItemsLock::authenticate(const QString &reason, Reply reply, std::function<void(bool)> ifGone)
{
    QPointer<HiddenItemsLock> self(this);
    m_biometrics.evaluatePolicy(reason,
        [self, reply = std::move(reply), ifGone = std::move(ifGone)](
            bool success, std::optional<QString> error) {
            // The platform may answer on a thread of its own.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, reply, ifGone, success, error] {
                    if (!self) {
                        if (ifGone) {
                            ifGone(success);
                        }
                        return;
                    }
                    reply(success, error);
                    emit self->windowActivationRequested();
                },
                Qt::QueuedConnection);
        });
}

void HiddenItemsLock::tryTouchID()
{
    if (!m_biometrics.canEvaluatePolicy().canEvaluate) {
        return;
    }
    authenticate(unlockReason, [this](bool success, std::optional<QString>) {
        if (success) {
            setUnlocked(true);
        }
    });
}

void HiddenItemsLock::storeNewPassword(const QString &password, bool useTouchID, Completion completion)
{
    setPasswordBusy(true);
    const auto limits = m_password->limits();
    QtConcurrent::run(m_passwordPool, [password, limits] {
        return PasswordHashing::hash(password, limits);
    }).then(this, [this, useTouchID, completion](std::optional<std::string> hash) {
        bool ok = false;
        {
            const ChangeBatch::Scope operation(m_changes);
            setPasswordBusy(false);
            ok = hash && m_password->storeHash(*hash);
            if (ok) {
                endPasswordEpoch();
                m_password->setUseTouchID(useTouchID);
                setUnlocked(true);
                touch(Security);
            }
        }
        if (completion) {
            completion(ok, ok ? std::nullopt : std::optional<QString>(passwordNotSaved));
        }
    });
}

bool HiddenItemsLock::setSecurityPassword(const QString &password, bool useTouchID, Completion completion)
{
    if (m_isPasswordBusy) {
        return false;
    }
    if (!m_biometrics.canEvaluatePolicy().canEvaluate) {
        storeNewPassword(password, useTouchID, std::move(completion));
        return true;
    }
    // Whatever the preference says, a machine with Touch ID confirms first;
    // the form stays busy while the prompt is up.
    setPasswordBusy(true);
    std::shared_ptr<HiddenItemsPassword> store = m_password;
    authenticate(
        registerReason,
        [this, password, useTouchID, completion](bool success, std::optional<QString> error) {
            setPasswordBusy(false);
            if (!success) {
                if (completion) {
                    completion(false, error.value_or(setupFailed));
                }
                return;
            }
            storeNewPassword(password, useTouchID, completion);
        },
        [store, password, useTouchID](bool success) {
            if (!success) {
                return;
            }
            // The settings are written even with the lock gone.
            QtConcurrent::run([store, password] {
                return PasswordHashing::hash(password, store->limits());
            }).then(QCoreApplication::instance(), [store, useTouchID](std::optional<std::string> hash) {
                if (hash && store->storeHash(*hash)) {
                    store->setUseTouchID(useTouchID);
                }
            });
        });
    return true;
}

void HiddenItemsLock::resetPasswordUsingTouchID(Completion completion)
{
    const auto capability = m_biometrics.canEvaluatePolicy();
    if (!capability.canEvaluate) {
        if (completion) {
            completion(false, capability.errorDescription.value_or(notAvailable));
        }
        return;
    }
    disableAfterTouchID(resetReason, resetFailed, std::move(completion));
}

void HiddenItemsLock::disableSecurityWithTouchID(Completion completion)
{
    if (!m_biometrics.canEvaluatePolicy().canEvaluate) {
        disableSecurity();
        if (completion) {
            completion(true, std::nullopt);
        }
        return;
    }
    disableAfterTouchID(disableReason, disableFailed, std::move(completion));
}

void HiddenItemsLock::disableAfterTouchID(
    const QString &reason, const QString &failure, Completion completion)
{
    authenticate(reason, [this, failure, completion](bool success, std::optional<QString> error) {
        if (success) {
            disableSecurity();
            if (completion) {
                completion(true, std::nullopt);
            }
        } else if (completion) {
            completion(false, error.value_or(failure));
        }
    });
}

void HiddenItemsLock::disableSecurity()
{
    const ChangeBatch::Scope operation(m_changes);
    endPasswordEpoch();
    m_password->remove();
    m_password->setUseTouchID(false);
    setUnlocked(false);
    touch(Security);
}

} // namespace brimlark
