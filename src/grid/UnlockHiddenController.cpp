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

void UnlockHiddenController::setViewModel(BrimlarkViewModel *viewModel)
{
    if (m_viewModel && m_viewModel != viewModel) {
        disconnect(&m_viewModel->hiddenItemsLock(), nullptr, this, nullptr);
    }
    if (!rebindViewModel(*this, m_viewModel, viewModel)) {
        return;
    }
    if (HiddenItemsLock *lock = hiddenItemsLock()) {
        connect(lock, &HiddenItemsLock::isPasswordBusyChanged, this, &UnlockHiddenController::busyChanged);
        connect(lock, &HiddenItemsLock::securityChanged, this, &UnlockHiddenController::offersChanged);
    }
    emit viewModelChanged();
    emit busyChanged();
    emit offersChanged();
}

HiddenItemsLock *UnlockHiddenController::hiddenItemsLock() const
{
    return m_viewModel ? &m_viewModel->hiddenItemsLock() : nullptr;
}

bool UnlockHiddenController::busy() const
{
    return m_viewModel && m_viewModel->hiddenItemsLock().isPasswordBusy();
}

bool UnlockHiddenController::showsTouchID() const
{
    return m_viewModel && m_viewModel->hiddenItemsLock().isTouchIDEnabled();
}

bool UnlockHiddenController::showsReset() const
{
    return m_viewModel && m_viewModel->hiddenItemsLock().isTouchIDHardwareAvailable();
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
    if (!m_viewModel) {
        return;
    }
    QPointer<UnlockHiddenController> self(this);
    // Ignored by the lock while an earlier check still runs.
    m_viewModel->hiddenItemsLock().checkPassword(m_passwordInput, [self](bool matched) {
        if (self) {
            self->setErrorMessage(unlockMessage(matched));
        }
    });
}

void UnlockHiddenController::useTouchID()
{
    if (m_viewModel) {
        m_viewModel->hiddenItemsLock().tryTouchID();
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
    if (!m_viewModel) {
        return;
    }
    QPointer<UnlockHiddenController> self(this);
    m_viewModel->hiddenItemsLock().resetPasswordUsingTouchID(
        [self](bool success, std::optional<QString> message) {
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
