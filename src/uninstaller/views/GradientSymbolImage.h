#pragma once

#include <QColor>
#include <QQuickPaintedItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// A symbol image filled with a linear gradient that runs from its top left
// corner (`startColor`) to its bottom right corner (`endColor`), as the
// access gate's badge is drawn. An unknown name draws nothing.
class GradientSymbolImage : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY changed)
    Q_PROPERTY(qreal size READ size WRITE setSize NOTIFY changed)
    Q_PROPERTY(QColor startColor READ startColor WRITE setStartColor NOTIFY changed)
    Q_PROPERTY(QColor endColor READ endColor WRITE setEndColor NOTIFY changed)
public:
    explicit GradientSymbolImage(QQuickItem *parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString &name);
    // The glyph's box in points, the item's implicit width and height.
    qreal size() const { return m_size; }
    void setSize(qreal size);
    QColor startColor() const { return m_start; }
    void setStartColor(const QColor &color);
    QColor endColor() const { return m_end; }
    void setEndColor(const QColor &color);

    // The glyph at this size in pixels, gradient-filled.
    QImage render(const QSize &pixels) const;
    void paint(QPainter *painter) override;

signals:
    void changed();

private:
    void redraw();

    QString m_name;
    qreal m_size = 16;
    QColor m_start = Qt::black;
    QColor m_end = Qt::black;
};

} // namespace brimlark
