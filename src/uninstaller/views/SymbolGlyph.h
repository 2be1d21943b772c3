#pragma once

#include <QColor>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// A tinted symbol image for the uninstaller's views: SymbolGlyph { name:
// "trash.fill"; color: "white"; size: 14 }. An unknown name draws nothing.
class SymbolGlyph : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name MEMBER m_name NOTIFY changed)
    Q_PROPERTY(QColor color MEMBER m_color NOTIFY changed)
    Q_PROPERTY(qreal size READ size WRITE setSize NOTIFY changed)
public:
    explicit SymbolGlyph(QQuickItem *parent = nullptr);
    qreal size() const { return m_size; }
    void setSize(qreal size);
    void paint(QPainter *painter) override;

Q_SIGNALS:
    void changed();

private:
    QString m_name;
    QColor m_color = Qt::black;
    qreal m_size = 16;
};

} // namespace brimlark
