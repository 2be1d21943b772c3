#include "grid/UnlockHiddenController.h"

#include "state/ViewModelBinding.h"
#include "views/EnabledStateAccessibility.h"

namespace brimlark {

UnlockHiddenController::UnlockHiddenController(QObject *parent)
    : QObject(parent)
{
    // Before the password fields are first described: they serve the mask.
    installPasswordFieldAccessibility();
}

void UnlockHiddenController::setLock(HiddenItemsLock *lock)
{
    if (!rebindHandedObject(*this, m_lock, lock)) {
        return;
    }
    if (m_lock) {
        connect(m_lock, &HiddenItemsLock::isPasswordBusyChanged, this, &UnlockHiddenController::busyChanged);
        connect(m_lock, &HiddenItemsLock::securityChanged, this, &UnlockHiddenController::offersChanged);
    }
    emit lockChanged();
    emit busyChanged();
    emit offersChanged();
}

bool UnlockHiddenController::busy() const
{
    return m_lock && m_lock->isPasswordBusy();
}

bool UnlockHiddenController::showsTouchID() const
{
    return m_lock && m_lock->isTouchIDEnabled();
}

bool UnlockHiddenController::showsReset() const
{
    return m_lock && m_lock->isTouchIDHardwareAvailable();
}

QString UnlockHiddenController::unlockMessage(bool matched)
{
    return matched ? QString() : QStringLiteral("Incorrect Password");
}

QString UnlockHiddenController::resetFailureMessage(const std::optional<QString> &message)
{
    return message.value_or(QStringLiteral("Touch ID reset failed"));
}

void UnlockHiddenController::submitUnlock()
{
    if (!m_lock) {
        return;
    }
    QPointer<UnlockHiddenController> self(this);
    // Ignored by the lock while an earlier check still runs.
    m_lock->checkPassword(m_passwordInput, [self](bool matched) {
        if (self) {
            self->setErrorMessage(unlockMessage(matched));
        }
    });
}

void UnlockHiddenController::useTouchID()
{
    if (m_lock) {
        m_lock->tryTouchID();
    }
}

void UnlockHiddenController::appeared()
{
    if (showsTouchID()) {
        useTouchID();
    }
}

void UnlockHiddenController::resetWithTouchID()
{
    if (!m_lock) {
        return;
    }
    QPointer<UnlockHiddenController> self(this);
    m_lock->resetPasswordUsingTouchID([self](bool success, std::optional<QString> message) {
        if (self && !success) {
            self->setErrorMessage(resetFailureMessage(message));
        }
    });
}

void UnlockHiddenController::setErrorMessage(const QString &message)
{
    if (m_errorMessage == message) {
        if (!message.isEmpty()) {
            emit errorRepeated();
        }
        return;
    }
    m_errorMessage = message;
    emit errorMessageChanged();
}

} // namespace brimlark
