#include "tools/RulerGridCanvas.h"

#include "tools/MeasurementText.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

namespace brimlark {

RulerGridCanvas::RulerGridCanvas(QQuickItem *parent)
    : QQuickPaintedItem(parent)
    , m_color(0x00, 0x7A, 0xFF)
    , m_labelColor(Qt::white)
{
    setAntialiasing(true);
}

void RulerGridCanvas::setColor(const QColor &color)
{
    if (m_color != color) {
        m_color = color;
        emit colorChanged();
        update();
    }
}

void RulerGridCanvas::setLabelColor(const QColor &color)
{
    if (m_labelColor != color) {
        m_labelColor = color;
        emit labelColorChanged();
        update();
    }
}

QList<RulerGridCanvas::Tick> RulerGridCanvas::ticks(double extent)
{
    QList<Tick> out;
    const auto whole = MeasurementText::wholePoints(extent);
    if (!whole) {
        return out;
    }
    for (qint64 v = 0; v < *whole; v += 10) {
        Tick tick { int(v), 4, 0.25, false };
        if (v % 100 == 0) {
            tick.length = 12;
            tick.opacity = 0.8;
            tick.labelled = v > 0 && double(v) < extent - 20;
        } else if (v % 50 == 0) {
            tick.length = 8;
            tick.opacity = 0.5;
        }
        out << tick;
    }
    return out;
}

QString RulerGridCanvas::extentText(double extent)
{
    return QString::number(MeasurementText::wholePoints(extent).value_or(0)) + QStringLiteral(" px");
}

void RulerGridCanvas::paint(QPainter *painter)
{
    const double w = width();
    const double h = height();
    auto blue = [this](double opacity) {
        QColor c = m_color;
        c.setAlphaF(float(opacity));
        return c;
    };
    painter->setRenderHint(QPainter::Antialiasing, true);

    // Half-point offsets put one-point lines on whole pixels: crisp at 1x.
    QPen border(blue(0.8), 1.5);
    painter->setPen(border);
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(0.75, 0.75, w - 1.5, h - 1.5), 12, 12);

    QPen dashed(blue(0.15), 1);
    dashed.setDashPattern({ 4, 4 });
    painter->setPen(dashed);
    QPainterPath centre;
    centre.moveTo(std::floor(w / 2) + 0.5, 0);
    centre.lineTo(std::floor(w / 2) + 0.5, h);
    centre.moveTo(0, std::floor(h / 2) + 0.5);
    centre.lineTo(w, std::floor(h / 2) + 0.5);
    painter->drawPath(centre);

    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(9);
    font.setBold(true);
    painter->setFont(font);
    const QFontMetricsF metrics(font);

    for (const Tick &tick : ticks(w)) {
        const double x = tick.value + 0.5;
        painter->setPen(QPen(blue(tick.opacity), 1));
        painter->drawLine(QPointF(x, 0), QPointF(x, tick.length));
        painter->drawLine(QPointF(x, h), QPointF(x, h - tick.length));
        if (tick.labelled) {
            const QString text = QString::number(tick.value);
            const double textWidth = metrics.horizontalAdvance(text);
            painter->setPen(m_labelColor);
            painter->drawText(
                QRectF(tick.value - textWidth / 2, 18, textWidth, metrics.height()), Qt::AlignCenter, text);
        }
    }
    for (const Tick &tick : ticks(h)) {
        const double y = tick.value + 0.5;
        painter->setPen(QPen(blue(tick.opacity), 1));
        painter->drawLine(QPointF(0, y), QPointF(tick.length, y));
        painter->drawLine(QPointF(w, y), QPointF(w - tick.length, y));
        if (tick.labelled) {
            const QString text = QString::number(tick.value);
            const double textHeight = metrics.height();
            painter->setPen(m_labelColor);
            painter->drawText(
                QRectF(18, tick.value - textHeight / 2, metrics.horizontalAdvance(text) + 1, textHeight),
                Qt::AlignLeft | Qt::AlignVCenter, text);
        }
    }
}

} // namespace brimlark
