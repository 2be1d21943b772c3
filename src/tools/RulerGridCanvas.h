#pragma once

#include <QColor>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// The screen ruler's grid: border, dashed centre lines, ticks every 10
// points on all four edges and labels at every 100.
class RulerGridCanvas : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(QColor labelColor READ labelColor WRITE setLabelColor NOTIFY labelColorChanged)
public:
    explicit RulerGridCanvas(QQuickItem *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QColor labelColor() const { return m_labelColor; }
    void setLabelColor(const QColor &color);

    struct Tick
    {
        int value = 0;
        double length = 0;
        double opacity = 0;
        bool labelled = false;
    };
    // The ticks along an edge of the given extent, in increasing order.
    static QList<Tick> ticks(double extent);
    // The read-out of an extent: its whole points, then " px".
    Q_INVOKABLE static QString extentText(double extent);

    void paint(QPainter *painter) override;

signals:
    void colorChanged();
    void labelColorChanged();

private:
    QColor m_color;
    QColor m_labelColor;
};

} // namespace brimlark
