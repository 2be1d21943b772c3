#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// Symbol names for the views: Symbols.exists("folder.fill").
class SymbolNames : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Symbols)
    QML_SINGLETON
public:
    using QObject::QObject;
    Q_INVOKABLE bool exists(const QString &name) const;
};

} // namespace brimlark
