#include "grid/UnlockHiddenController.h"

namespace brimlark {

void UnlockHiddenController::lockBound()
{
    if (lock()) {
        connect(lock(), &HiddenItemsLock::securityChanged, this, &UnlockHiddenController::offersChanged);
    }
    emit offersChanged();
}

bool UnlockHiddenController::showsTouchID() const
{
    return lock() && lock()->isTouchIDEnabled();
}

bool UnlockHiddenController::showsReset() const
{
    return lock() && lock()->isTouchIDHardwareAvailable();
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
    if (!lock()) {
        return;
    }
    QPointer<UnlockHiddenController> self(this);
    // Ignored by the lock while an earlier check still runs.
    lock()->checkPassword(m_passwordInput, [self](bool matched) {
        if (self) {
            self->setErrorMessage(unlockMessage(matched));
        }
    });
}

void UnlockHiddenController::useTouchID()
{
    if (lock()) {
        lock()->tryTouchID();
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
    if (!lock()) {
        return;
    }
    QPointer<UnlockHiddenController> self(this);
    lock()->resetPasswordUsingTouchID([self](bool success, std::optional<QString> message) {
        if (self && !success) {
            self->setErrorMessage(resetFailureMessage(message));
        }
    });
}

} // namespace brimlark
