#pragma once

#include "sidebar/FolderPickerBase.h"

#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <functional>

namespace brimlark {

// The folder icon picker: 43 outline/filled symbol pairs, an Outline/Filled
// switch, and a click that stores the cell's shown name at once.
class FolderIconPicker : public FolderPickerBase
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool isFilled READ isFilled WRITE setFilled NOTIFY isFilledChanged)
    // The name each cell shows and stores, in grid order.
    Q_PROPERTY(QStringList shownNames READ shownNames NOTIFY isFilledChanged)
    // The cell showing the folder's icon, or -1.
    Q_PROPERTY(int selectedIndex READ selectedIndex NOTIFY selectionChanged)
    Q_PROPERTY(QString folderIcon READ folderIcon NOTIFY selectionChanged)
    Q_PROPERTY(QString folderColor READ folderColor NOTIFY folderChanged)

public:
    struct Pair
    {
        const char16_t *outline;
        const char16_t *filled;
    };
    static const QList<Pair> &pairs();
    // Whether the symbol service has a glyph for a name.
    using SymbolExists = std::function<bool(const QString &)>;

    explicit FolderIconPicker(QObject *parent = nullptr);
    // For tests: a symbol service that lacks some names.
    void setSymbolExists(SymbolExists exists);

    bool isFilled() const { return m_isFilled; }
    void setFilled(bool filled);
    QStringList shownNames() const;
    QString shownName(int index) const;
    int selectedIndex() const;
    QString folderIcon() const { return folder().icon; }
    QString folderColor() const { return folder().color; }

    Q_INVOKABLE void choose(int index);

signals:
    void isFilledChanged();
    void selectionChanged();

private:
    SymbolExists m_exists;
    bool m_isFilled = false;
};

} // namespace brimlark
