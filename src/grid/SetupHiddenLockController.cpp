#include "grid/SetupHiddenLockController.h"

#include "state/ViewModelBinding.h"
#include "views/EnabledStateAccessibility.h"

namespace brimlark {

SetupHiddenLockController::SetupHiddenLockController(QObject *parent)
    : QObject(parent)
{
    // Before the password fields are first described: they serve the mask.
    installPasswordFieldAccessibility();
}

void SetupHiddenLockController::setLock(HiddenItemsLock *lock)
{
    if (!rebindHandedObject(*this, m_lock, lock)) {
        return;
    }
    if (m_lock) {
        connect(
            m_lock, &HiddenItemsLock::isPasswordBusyChanged, this, &SetupHiddenLockController::busyChanged);
    }
    emit lockChanged();
    emit busyChanged();
}

bool SetupHiddenLockController::busy() const
{
    return m_lock && m_lock->isPasswordBusy();
}

std::optional<QString> SetupHiddenLockController::validationError(
    const QString &password, const QString &confirmation)
{
    if (password.isEmpty()) {
        return QStringLiteral("Password cannot be empty");
    }
    if (password.normalized(QString::NormalizationForm_C)
        != confirmation.normalized(QString::NormalizationForm_C)) {
        return QStringLiteral("Passwords do not match");
    }
    return std::nullopt;
}

QString SetupHiddenLockController::failureMessage(const std::optional<QString> &message)
{
    return message.value_or(QStringLiteral("Touch ID registration failed"));
}

void SetupHiddenLockController::submit()
{
    if (const auto error = validationError(m_password, m_confirmPassword)) {
        setErrorMessage(*error);
        return;
    }
    if (!m_lock) {
        return;
    }
    QPointer<SetupHiddenLockController> self(this);
    // Ignored by the lock while an earlier submission still runs.
    m_lock->setSecurityPassword(
        m_password, m_useTouchID, [self](bool success, std::optional<QString> message) {
            if (self && !success) {
                self->setErrorMessage(failureMessage(message));
            }
        });
}

void SetupHiddenLockController::setErrorMessage(const QString &message)
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
