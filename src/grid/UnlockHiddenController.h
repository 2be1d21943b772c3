#pragma once

#include "state/HiddenItemsLock.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The unlock form of the hidden items: the password field, the Touch ID
// and reset offers, and the one message line.
class UnlockHiddenController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(brimlark::HiddenItemsLock *lock READ lock WRITE setLock NOTIFY lockChanged)
    Q_PROPERTY(QString passwordInput MEMBER m_passwordInput NOTIFY passwordInputChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    // "Use Touch ID" follows the stored preference alone; the reset offer
    // whether biometrics can be evaluated now. Both are asked afresh.
    Q_PROPERTY(bool showsTouchID READ showsTouchID NOTIFY offersChanged)
    Q_PROPERTY(bool showsReset READ showsReset NOTIFY offersChanged)

public:
    explicit UnlockHiddenController(QObject *parent = nullptr);

    HiddenItemsLock *lock() const { return m_lock; }
    void setLock(HiddenItemsLock *lock);
    const QString &errorMessage() const { return m_errorMessage; }
    bool busy() const;
    bool showsTouchID() const;
    bool showsReset() const;

    // The message after a password check.
    static QString unlockMessage(bool matched);
    // What a failed reset shows.
    static QString resetFailureMessage(const std::optional<QString> &message);

    // The Unlock button and Return in the field; the typed text stays.
    Q_INVOKABLE void submitUnlock();
    Q_INVOKABLE void useTouchID();
    // The screen (or its Touch ID button) came up: with the preference on,
    // the prompt comes at once.
    Q_INVOKABLE void appeared();
    Q_INVOKABLE void resetWithTouchID();

signals:
    void lockChanged();
    void passwordInputChanged();
    void errorMessageChanged();
    // The same error again (a second wrong try): the screen does not change,
    // but a reader must hear it again.
    void errorRepeated();
    void busyChanged();
    void offersChanged();

private:
    void setErrorMessage(const QString &message);

    QPointer<HiddenItemsLock> m_lock;
    QString m_passwordInput;
    QString m_errorMessage;
};

} // namespace brimlark
