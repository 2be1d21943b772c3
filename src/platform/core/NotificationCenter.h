#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace brimlark {

namespace Notifications {
inline const QString WorkspaceChanged = QStringLiteral("brimLarkWorkspaceChanged");
inline const QString HotkeyTriggered = QStringLiteral("brimLarkHotkeyTriggered");
inline const QString SearchFocusRequested = QStringLiteral("brimLarkSearchFocusRequested");
inline const QString AppReopened = QStringLiteral("brimLarkAppReopened");
} // namespace Notifications

// Named notifications with an object, delivered synchronously to every
// observer, in the order they registered. An observer lives as long as its
// context object; a destroyed context is never called.
class NotificationCenter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QVariant &object)>;

    // Returns a token for removeObserver().
    quint64 addObserver(const QString &name, QObject *context, Handler handler);
    void removeObserver(quint64 token);
    void post(const QString &name, const QVariant &object = {});

signals:
    void posted(const QString &name, const QVariant &object);

private:
    struct Observer
    {
        quint64 token;
        QString name;
        QPointer<QObject> context;
        bool hasContext;
        Handler handler;
    };
    std::vector<Observer> m_observers;
    quint64 m_nextToken = 1;
};

} // namespace brimlark
