#pragma once

#include "grid/HiddenLockForm.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The unlock form of the hidden items: the password field, the Touch ID
// and reset offers, and the one message line.
class UnlockHiddenController : public HiddenLockForm
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString passwordInput MEMBER m_passwordInput NOTIFY passwordInputChanged)
    // "Use Touch ID" follows the stored preference alone; the reset offer
    // whether biometrics can be evaluated now. Both are asked afresh.
    Q_PROPERTY(bool showsTouchID READ showsTouchID NOTIFY offersChanged)
    Q_PROPERTY(bool showsReset READ showsReset NOTIFY offersChanged)

public:
    using HiddenLockForm::HiddenLockForm;

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
    void passwordInputChanged();
    void offersChanged();

protected:
    void lockBound() override;

private:
    QString m_passwordInput;
};

} // namespace brimlark
