#pragma once

#include "state/BrimlarkViewModel.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The set-up form of the hidden-items lock: the two password fields, the
// Touch ID choice and the one message line. It stores nothing itself; an
// accepted submission goes to the view model, which unlocks on success.
class SetupHiddenLockController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(
        brimlark::BrimlarkViewModel *viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged)
    Q_PROPERTY(QString password MEMBER m_password NOTIFY passwordChanged)
    Q_PROPERTY(QString confirmPassword MEMBER m_confirmPassword NOTIFY confirmPasswordChanged)
    Q_PROPERTY(bool useTouchID MEMBER m_useTouchID NOTIFY useTouchIDChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    // A submission is being stored (its prompt or its hashing runs).
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)

public:
    explicit SetupHiddenLockController(QObject *parent = nullptr);

    BrimlarkViewModel *viewModel() const { return m_viewModel; }
    void setViewModel(BrimlarkViewModel *viewModel);
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
    void viewModelChanged();
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

    // The view model's lock, or null without a view model.
    HiddenItemsLock *hiddenItemsLock() const;

    QPointer<BrimlarkViewModel> m_viewModel;
    QString m_password;
    QString m_confirmPassword;
    bool m_useTouchID = false;
    QString m_errorMessage;
};

} // namespace brimlark
