#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// The views' one way from hex colour text to a colour: Colors.hex("#007AFF").
class Colors : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    using QObject::QObject;
    Q_INVOKABLE QColor hex(const QString &text) const;
};

} // namespace brimlark
