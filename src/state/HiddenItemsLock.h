#pragma once

#include "platform/core/ChangeBatch.h"
#include "state/PasswordHashing.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <optional>

namespace brimlark {

class Biometrics;
class Defaults;
class HiddenItemsPassword;

// Guards the hidden items: whether they are unlocked, the stored password
// and the Touch ID preference, and the checks that unlock them. It knows
// nothing of what shows the items; its owner locks it when they leave the
// screen.
//
// Each public operation is one change: once it has stored everything, the
// NOTIFY signal of each property it touched goes out once, then changed()
// once. Main thread only.
class HiddenItemsLock : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isUnlocked READ isUnlocked NOTIFY isUnlockedChanged)
    Q_PROPERTY(bool isSecurityPasswordSet READ isSecurityPasswordSet NOTIFY securityChanged)
    Q_PROPERTY(bool isTouchIDEnabled READ isTouchIDEnabled NOTIFY securityChanged)
    Q_PROPERTY(bool isTouchIDHardwareAvailable READ isTouchIDHardwareAvailable NOTIFY securityChanged)
    // A password is being checked or set (its prompt or its hashing runs).
    Q_PROPERTY(bool isPasswordBusy READ isPasswordBusy NOTIFY isPasswordBusyChanged)

public:
    using Completion = std::function<void(bool success, std::optional<QString> message)>;
    using CheckCompletion = std::function<void(bool matched)>;

    // Both required.
    struct Services
    {
        Defaults *defaults = nullptr;
        Biometrics *biometrics = nullptr;
        PasswordHashing::Limits passwordLimits = PasswordHashing::Limits::interactive();
        // Where password hashing runs; null for a pool of the lock's own.
        QThreadPool *passwordPool = nullptr;
    };

    // Starts locked. A password left in clear text is hashed now, off the
    // GUI thread.
    explicit HiddenItemsLock(Services services, QObject *parent = nullptr);
    ~HiddenItemsLock() override;

    bool isUnlocked() const { return m_isUnlocked; }
    // Unlocking directly is for the owner and tests; locking (also when
    // already locked) voids every check still running.
    void setUnlocked(bool unlocked);
    Q_INVOKABLE void lock() { setUnlocked(false); }

    bool isSecurityPasswordSet() const;
    bool isTouchIDEnabled() const;
    bool isTouchIDHardwareAvailable() const;
    bool isPasswordBusy() const { return m_isPasswordBusy; }

    // Checking and setting hash off the GUI thread and answer later on it.
    // While one runs (isPasswordBusy) another is ignored: the call returns
    // false and its completion is never called.
    bool checkPassword(const QString &password, CheckCompletion completion);
    bool setSecurityPassword(const QString &password, bool useTouchID, Completion completion);
    void resetPasswordUsingTouchID(Completion completion);
    void disableSecurityWithTouchID(Completion completion);
    void disableSecurity();
    void tryTouchID();

signals:
    void isUnlockedChanged();
    // The password or the Touch ID preference may have changed.
    void securityChanged();
    void isPasswordBusyChanged();
    // Once per operation, after its NOTIFY signals.
    void changed();
    // After every biometric reply: the shell activates the application and
    // brings its first window to the front, restored if minimised.
    void windowActivationRequested();

private:
    enum Part : unsigned {
        Unlocked = 1u << 0,
        Security = 1u << 1,
        PasswordBusy = 1u << 2,
    };
    void touch(unsigned parts) { m_changes.touch(parts); }
    void announce(unsigned touched);

    // Asks for Touch ID; the reply is handled on the main thread, followed
    // by windowActivationRequested(). With the lock gone by then, ifGone
    // has the reply instead.
    using Reply = std::function<void(bool success, std::optional<QString> error)>;
    void authenticate(const QString &reason, Reply reply, std::function<void(bool success)> ifGone = {});
    // Stores the password and the preference and unlocks; false when the
    // password could not be hashed (nothing is stored then).
    void storeNewPassword(const QString &password, bool useTouchID, Completion completion);
    // Reset and disable: after Touch ID agrees, the password goes.
    void disableAfterTouchID(const QString &reason, const QString &failure, Completion completion);
    void setPasswordBusy(bool busy);
    // Locking, and every change of the stored password, end the validity of
    // checks still running: their answer is about an older state.
    void endPasswordEpoch() { ++m_passwordEpoch; }

    // Declared first, so it outlives every member that may still report
    // a change as it goes.
    ChangeBatch m_changes { [this](unsigned touched) { announce(touched); } };
    Biometrics &m_biometrics;
    std::shared_ptr<HiddenItemsPassword> m_password;
    std::unique_ptr<QThreadPool> m_ownPasswordPool;
    QThreadPool *m_passwordPool;
    bool m_isUnlocked = false;
    bool m_isPasswordBusy = false;
    quint64 m_passwordEpoch = 0;
};

} // namespace brimlark
