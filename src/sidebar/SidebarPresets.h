#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// The fixed choices of the sheets' customisers and the folder pickers.
class SidebarPresets : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QVariantList presetColors READ presetColorList CONSTANT)
    Q_PROPERTY(QStringList folderIcons READ folderIcons CONSTANT)
    Q_PROPERTY(QStringList workspaceIcons READ workspaceIcons CONSTANT)

public:
    using QObject::QObject;

    // {hex, name} in order: Blue, Red, Green, Orange, Purple, Pink, Gray.
    static QVariantList presetColorList();
    // The folder customiser's 20 icons, row by row, five to a row.
    static QStringList folderIcons();
    // The workspace customiser's 20 icons.
    static QStringList workspaceIcons();
};

} // namespace brimlark
