#include "grid/GridLooks.h"

#include "views/ImageProviderInstall.h"
#include "views/ShadowPainter.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QJSEngine>
#include <QPainter>
#include <QPainterPath>
#include <QQmlEngine>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>

namespace brimlark {

namespace {

QString colorText(const QColor &color)
{
    return color.name(QColor::HexArgb);
}

QList<QColor> colorsOf(const QVariantList &list)
{
    QList<QColor> out;
    for (const auto &v : list) {
        const QColor c = v.value<QColor>();
        if (c.isValid()) {
            out << c;
        }
    }
    return out;
}

} // namespace

GridLooksImageProvider::GridLooksImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

int GridLooksImageProvider::margin(qreal blur)
{
    return blur <= 0 ? 0 : ShadowPainter::reach(blur) + 1;
}

int GridLooksImageProvider::border(qreal cornerRadius, qreal blur)
{
    return margin(blur) + int(std::ceil(std::max<qreal>(0, cornerRadius))) + ShadowPainter::reach(blur);
}

QImage GridLooksImageProvider::shadow(qreal cornerRadius, qreal blur, const QColor &color, qreal scale)
{
    scale = std::clamp<qreal>(scale, 0.5, 4);
    const int m = int(std::ceil(margin(blur) * scale));
    // The shape is made big enough that its middle, which the nine-patch
    // stretches, lies beyond the blur's reach from every edge: there the
    // shadow has its full strength, as under a large shape.
    const int core = int(std::ceil(2 * (border(cornerRadius, blur) - margin(blur)) * scale)) + 1;
    const int side = 2 * m + core;
    return ShadowPainter::roundedRect(QSize(side, side), QRectF(m, m, core, core), cornerRadius * scale,
        blur > 0 ? ShadowPainter::deviation(blur) * scale : 0, color);
}

QImage GridLooksImageProvider::shadow(
    const QSizeF &shape, qreal cornerRadius, qreal blur, const QColor &color, qreal scale)
{
    return ShadowPainter::around(shape, cornerRadius, blur, margin(blur), color, scale);
}

QImage GridLooksImageProvider::fill(const QSizeF &size, qreal cornerRadius, const QColor &from,
    const QColor &to, qreal borderWidth, const QList<QColor> &border, qreal scale)
{
    scale = std::clamp<qreal>(scale, 0.5, 4);
    const QSize pixels(std::clamp(int(std::ceil(size.width() * scale)), 1, 4096),
        std::clamp(int(std::ceil(size.height() * scale)), 1, 4096));
    QImage out(pixels, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const QRectF rect(QPointF(0, 0), size);
    // From the top-leading corner to the bottom-trailing one.
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    QPainterPath shape;
    shape.addRoundedRect(rect, cornerRadius, cornerRadius);
    p.fillPath(shape, gradient);
    if (borderWidth > 0 && !border.isEmpty()) {
        QLinearGradient stroke(rect.topLeft(), rect.bottomRight());
        for (qsizetype i = 0; i < border.size(); ++i) {
            stroke.setColorAt(border.size() == 1 ? 0 : qreal(i) / qreal(border.size() - 1), border[i]);
        }
        // Drawn inside the shape, as an outline on the card's own edge is.
        const qreal half = borderWidth / 2;
        QPen pen(QBrush(stroke), borderWidth);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(rect.adjusted(half, half, -half, -half), std::max<qreal>(0, cornerRadius - half),
            std::max<qreal>(0, cornerRadius - half));
    }
    return out;
}

namespace {
QFont titleFont(int pixelSize)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::clamp(pixelSize, 1, 200));
    font.setBold(true);
    return font;
}
} // namespace

QSizeF GridLooksImageProvider::textSize(const QString &text, int pixelSize)
{
    const QFontMetricsF metrics(titleFont(pixelSize));
    return { std::ceil(metrics.horizontalAdvance(text)) + 2, std::ceil(metrics.height()) };
}

QImage GridLooksImageProvider::gradientText(
    const QString &text, int pixelSize, const QColor &from, const QColor &to, qreal scale)
{
    scale = std::clamp<qreal>(scale, 0.5, 4);
    const QSizeF logical = textSize(text, pixelSize);
    QImage out(std::clamp(int(std::ceil(logical.width() * scale)), 1, 4096),
        std::clamp(int(std::ceil(logical.height() * scale)), 1, 4096), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    const QFont font = titleFont(pixelSize);
    QLinearGradient gradient(QPointF(0, 0), QPointF(logical.width(), logical.height()));
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    p.setFont(font);
    p.setPen(QPen(QBrush(gradient), 1));
    p.drawText(QPointF(1, QFontMetricsF(font).ascent()), text);
    return out;
}

QString GridLooksImageProvider::textId(
    const QString &text, int pixelSize, const QColor &from, const QColor &to)
{
    // The text as hexadecimal UTF-8: no character of it can end up read as
    // part of the query.
    return QStringLiteral("text?t=%1&s=%2&from=%3&to=%4")
        .arg(QString::fromLatin1(text.toUtf8().toHex()))
        .arg(pixelSize)
        .arg(colorText(from).mid(1), colorText(to).mid(1));
}

QString GridLooksImageProvider::shadowId(
    qreal cornerRadius, qreal blur, const QColor &color, const QSizeF &shape)
{
    const QString id
        = QStringLiteral("shadow?r=%1&b=%2&c=%3").arg(cornerRadius).arg(blur).arg(colorText(color).mid(1));
    return shape.isEmpty() ? id : id + QStringLiteral("&w=%1&h=%2").arg(shape.width()).arg(shape.height());
}

QString GridLooksImageProvider::fillId(const QSizeF &size, qreal cornerRadius, const QColor &from,
    const QColor &to, qreal borderWidth, const QList<QColor> &border)
{
    QStringList stroke;
    for (const auto &c : border) {
        stroke << colorText(c).mid(1);
    }
    return QStringLiteral("fill?w=%1&h=%2&r=%3&from=%4&to=%5&bw=%6&border=%7")
        .arg(size.width())
        .arg(size.height())
        .arg(cornerRadius)
        .arg(colorText(from).mid(1), colorText(to).mid(1))
        .arg(borderWidth)
        .arg(stroke.join(u','));
}

QImage GridLooksImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const qsizetype question = id.indexOf(u'?');
    const QString kind = id.left(question);
    const QUrlQuery query(question < 0 ? QString() : id.mid(question + 1));
    const auto number = [&query](const char *key) {
        return std::clamp(query.queryItemValue(QString::fromLatin1(key)).toDouble(), 0.0, 1000.0);
    };
    const auto color = [](const QString &hex) { return QColor(u'#' + hex); };
    QImage image;
    if (kind == u"shadow") {
        const qreal r = number("r");
        const qreal blur = number("b");
        const QSizeF shape(number("w"), number("h"));
        // The engine asks for device pixels: the picture is drawn at the
        // same ratio, so its corners stay sharp where the screen is dense.
        const qreal natural = shape.isEmpty() ? 2 * border(r, blur) + 1 : shape.width() + 2 * margin(blur);
        const qreal scale = ShadowPainter::scaleFor(requestedSize, natural);
        const QColor c = color(query.queryItemValue(QStringLiteral("c")));
        image = shape.isEmpty() ? shadow(r, blur, c, scale) : shadow(shape, r, blur, c, scale);
    } else if (kind == u"fill") {
        const QSizeF logical(std::max(1.0, number("w")), std::max(1.0, number("h")));
        const qreal scale = ShadowPainter::scaleFor(requestedSize, logical.width());
        QList<QColor> border;
        const QString stroke = query.queryItemValue(QStringLiteral("border"));
        for (const auto &c : stroke.split(u',', Qt::SkipEmptyParts)) {
            border << color(c);
        }
        image = fill(logical, number("r"), color(query.queryItemValue(QStringLiteral("from"))),
            color(query.queryItemValue(QStringLiteral("to"))), number("bw"), border, scale);
    } else if (kind == u"text") {
        const QString text
            = QString::fromUtf8(QByteArray::fromHex(query.queryItemValue(QStringLiteral("t")).toLatin1()));
        const int pixelSize = int(number("s"));
        const qreal scale = ShadowPainter::scaleFor(requestedSize, textSize(text, pixelSize).width());
        image = gradientText(text, pixelSize, color(query.queryItemValue(QStringLiteral("from"))),
            color(query.queryItemValue(QStringLiteral("to"))), scale);
    }
    if (image.isNull()) {
        image = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    }
    if (size) {
        *size = image.size();
    }
    return image;
}

GridLooks::GridLooks(QQmlEngine *engine, QObject *parent)
    : QObject(parent)
{
    installImageProvider<GridLooksImageProvider>(engine);
}

GridLooks *GridLooks::create(QQmlEngine *qmlEngine, QJSEngine *)
{
    return new GridLooks(qmlEngine);
}

QUrl GridLooks::shadowSource(
    qreal cornerRadius, qreal blur, const QColor &color, qreal width, qreal height) const
{
    const ShadowKey key { cornerRadius, blur, color.rgba64(), width, height };
    if (!m_lastShadow || m_lastShadow->first != key) {
        m_lastShadow.emplace(key,
            QUrl(
                QStringLiteral("image://%1/%2")
                    .arg(GridLooksImageProvider::ProviderId,
                        GridLooksImageProvider::shadowId(cornerRadius, blur, color, QSizeF(width, height)))));
    }
    return m_lastShadow->second;
}

QUrl GridLooks::gradientTextSource(
    const QString &text, int pixelSize, const QColor &from, const QColor &to) const
{
    return QUrl(QStringLiteral("image://%1/%2")
                    .arg(GridLooksImageProvider::ProviderId,
                        GridLooksImageProvider::textId(text, pixelSize, from, to)));
}

QUrl GridLooks::fillSource(qreal width, qreal height, qreal cornerRadius, const QColor &from,
    const QColor &to, qreal borderWidth, const QVariantList &border) const
{
    return QUrl(QStringLiteral("image://%1/%2")
                    .arg(GridLooksImageProvider::ProviderId,
                        GridLooksImageProvider::fillId(
                            QSizeF(width, height), cornerRadius, from, to, borderWidth, colorsOf(border))));
}

} // namespace brimlark
