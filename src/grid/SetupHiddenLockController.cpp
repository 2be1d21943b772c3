#include "grid/SetupHiddenLockController.h"

namespace brimlark {

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
    if (!lock()) {
        return;
    }
    QPointer<SetupHiddenLockController> self(this);
    // Ignored by the lock while an earlier submission still runs.
    lock()->setSecurityPassword(
        m_password, m_useTouchID, [self](bool success, std::optional<QString> message) {
            if (self && !success) {
                self->setErrorMessage(failureMessage(message));
            }
        });
}

} // namespace brimlark
