#pragma once

#include "state/HiddenItemsLock.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The set-up form of the hidden-items lock: the two password fields, the
// Touch ID choice and the one message line. It stores nothing itself; an
// accepted submission goes to the lock, which unlocks on success.
class SetupHiddenLockController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(brimlark::HiddenItemsLock *lock READ lock WRITE setLock NOTIFY lockChanged)
    Q_PROPERTY(QString password MEMBER m_password NOTIFY passwordChanged)
    Q_PROPERTY(QString confirmPassword MEMBER m_confirmPassword NOTIFY confirmPasswordChanged)
    Q_PROPERTY(bool useTouchID MEMBER m_useTouchID NOTIFY useTouchIDChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    // A submission is being stored (its prompt or its hashing runs).
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)

public:
    explicit SetupHiddenLockController(QObject *parent = nullptr);

    HiddenItemsLock *lock() const { return m_lock; }
    void setLock(HiddenItemsLock *lock);
    const QString &errorMessage() const { return m_errorMessage; }
    bool busy() const;

    // The form's checks, in order: the message that stops a submission.
    // A password of blanks is not empty; canonically equivalent texts match,
    // letter case counts.
    static std::optional<QString> validationError(const QString &password, const QString &confirmation);
    // What a failed store shows.
    static QString failureMessage(const std::optional<QString> &message);

    // A message stays until a newer one replaces it or the form goes.
    Q_INVOKABLE void submit();

signals:
    void lockChanged();
    void passwordChanged();
    void confirmPasswordChanged();
    void useTouchIDChanged();
    void errorMessageChanged();
    // The same error again (a second wrong try): the screen does not change,
    // but a reader must hear it again.
    void errorRepeated();
    void busyChanged();

private:
    void setErrorMessage(const QString &message);

    QPointer<HiddenItemsLock> m_lock;
    QString m_password;
    QString m_confirmPassword;
    bool m_useTouchID = false;
    QString m_errorMessage;
};

} // namespace brimlark
