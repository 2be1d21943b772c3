#pragma once

#include <QObject>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// Tells assistive technology that an item is shown (again): a reader reads
// an alert out as it is shown. An error that comes again unchanged changes
// nothing on screen, so the view announces it: Announcer.announce(item).
class Announcer : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    using QObject::QObject;
    Q_INVOKABLE void announce(QQuickItem *item) const;
};

} // namespace brimlark
