#pragma once

#include "state/HiddenItemsLock.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace brimlark {

// What both forms of the hidden-items lock share: the lock their view hands
// them, whether it is storing or checking a password, and the one message
// line. A new lock drops every connection the old one had to the form; the
// form connects to the new one in lockBound().
class HiddenLockForm : public QObject
{
    Q_OBJECT
    Q_PROPERTY(brimlark::HiddenItemsLock *lock READ lock WRITE setLock NOTIFY lockChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    // A submission is being stored or checked (its prompt or its hashing runs).
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)

public:
    explicit HiddenLockForm(QObject *parent = nullptr);

    HiddenItemsLock *lock() const { return m_lock; }
    void setLock(HiddenItemsLock *lock);
    const QString &errorMessage() const { return m_errorMessage; }
    bool busy() const { return m_lock && m_lock->isPasswordBusy(); }

signals:
    void lockChanged();
    void errorMessageChanged();
    // The same error again (a second wrong try): the screen does not change,
    // but a reader must hear it again.
    void errorRepeated();
    void busyChanged();

protected:
    // The lock changed (to null, perhaps); lockChanged() follows.
    virtual void lockBound() { }
    // A message stays until a newer one replaces it or the form goes.
    void setErrorMessage(const QString &message);

private:
    QPointer<HiddenItemsLock> m_lock;
    QString m_errorMessage;
};

} // namespace brimlark
