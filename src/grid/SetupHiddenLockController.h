#pragma once

#include "grid/HiddenLockForm.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The set-up form of the hidden-items lock: the two password fields, the
// Touch ID choice and the one message line. It stores nothing itself; an
// accepted submission goes to the lock, which unlocks on success.
class SetupHiddenLockController : public HiddenLockForm
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString password MEMBER m_password NOTIFY passwordChanged)
    Q_PROPERTY(QString confirmPassword MEMBER m_confirmPassword NOTIFY confirmPasswordChanged)
    Q_PROPERTY(bool useTouchID MEMBER m_useTouchID NOTIFY useTouchIDChanged)

public:
    using HiddenLockForm::HiddenLockForm;

    // The form's checks, in order: the message that stops a submission.
    // A password of blanks is not empty; canonically equivalent texts match,
    // letter case counts.
    static std::optional<QString> validationError(const QString &password, const QString &confirmation);
    // What a failed store shows.
    static QString failureMessage(const std::optional<QString> &message);

    Q_INVOKABLE void submit();

signals:
    void passwordChanged();
    void confirmPasswordChanged();
    void useTouchIDChanged();

private:
    QString m_password;
    QString m_confirmPassword;
    bool m_useTouchID = false;
};

} // namespace brimlark
