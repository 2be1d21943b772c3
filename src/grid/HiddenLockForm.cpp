#include "grid/HiddenLockForm.h"

#include "state/ViewModelBinding.h"
#include "views/EnabledStateAccessibility.h"

namespace brimlark {

HiddenLockForm::HiddenLockForm(QObject *parent)
    : QObject(parent)
{
    // Before the password fields are first described: they serve the mask.
    installPasswordFieldAccessibility();
}

void HiddenLockForm::setLock(HiddenItemsLock *lock)
{
    if (!rebindHandedObject(*this, m_lock, lock)) {
        return;
    }
    if (m_lock) {
        connect(m_lock, &HiddenItemsLock::isPasswordBusyChanged, this, &HiddenLockForm::busyChanged);
    }
    lockBound();
    emit lockChanged();
    emit busyChanged();
}

void HiddenLockForm::setErrorMessage(const QString &message)
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
