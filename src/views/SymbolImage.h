#pragma once

#include <QColor>
#include <QImage>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// A symbol image by name, tinted, drawn to fit the item: SymbolImage {
// name: "star.fill"; color: "orange"; size: 16 }. An unknown name draws
// nothing (and `available` is false). Its picture goes into the scene's
// shared texture atlas, so symbols draw in the batches of the images around
// them rather than each with a texture and a draw of its own.
class SymbolImage : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(qreal size READ size WRITE setSize NOTIFY sizeChanged)
    Q_PROPERTY(bool available READ available NOTIFY nameChanged)
public:
    explicit SymbolImage(QQuickItem *parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString &name);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    // The glyph's box in points, the item's implicit width and height.
    qreal size() const { return m_size; }
    void setSize(qreal size);
    bool available() const { return m_available; }

signals:
    void nameChanged();
    void colorChanged();
    void sizeChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;
    // The glyph at this size in pixels, as paint() draws it: tinted in
    // `color` here; a subclass may fill it otherwise.
    virtual QImage glyph(const QSize &pixels) const;

private:
    QString m_name;
    QColor m_color = Qt::black;
    qreal m_size = 16;
    bool m_available = false;
};

} // namespace brimlark
