#include "views/RoundShadows.h"

#include "views/ShadowPainter.h"

#include <QQmlEngine>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>

namespace brimlark {

RoundShadowImageProvider::RoundShadowImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

int RoundShadowImageProvider::reach(qreal blur)
{
    return ShadowPainter::reach(blur);
}

QImage RoundShadowImageProvider::shadow(qreal diameter, qreal blur, const QColor &color, qreal scale)
{
    scale = std::clamp<qreal>(scale, 0.5, 4);
    diameter = std::clamp<qreal>(diameter, 1, 512);
    const qreal logicalSide = diameter + 2 * reach(blur);
    const int side = std::max(1, int(std::ceil(logicalSide * scale)));
    const qreal radius = diameter / 2 * scale;
    const qreal centre = logicalSide / 2 * scale;
    return ShadowPainter::roundedRect(QSize(side, side),
        QRectF(centre - radius, centre - radius, 2 * radius, 2 * radius), radius,
        blur > 0 ? ShadowPainter::deviation(blur) * scale : 0, color);
}

QImage RoundShadowImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const QUrlQuery query(id.mid(id.indexOf(u'?') + 1));
    const auto number = [&query](const char *key) {
        return std::clamp(query.queryItemValue(QString::fromLatin1(key)).toDouble(), 0.0, 512.0);
    };
    const qreal diameter = number("d");
    const qreal blur = number("b");
    const QColor color(u'#' + query.queryItemValue(QStringLiteral("c")));
    // The engine asks for device pixels where the screen is dense.
    const qreal natural = diameter + 2 * reach(blur);
    const qreal scale = requestedSize.width() > 0 && natural > 0 ? requestedSize.width() / natural : 1;
    QImage image = shadow(diameter, blur, color.isValid() ? color : QColor(Qt::transparent), scale);
    if (size) {
        *size = image.size();
    }
    return image;
}

RoundShadows::RoundShadows(QQmlEngine *engine, QObject *parent)
    : QObject(parent)
{
    if (engine && !engine->imageProvider(RoundShadowImageProvider::ProviderId)) {
        engine->addImageProvider(RoundShadowImageProvider::ProviderId, new RoundShadowImageProvider);
    }
}

RoundShadows *RoundShadows::create(QQmlEngine *qmlEngine, QJSEngine *)
{
    return new RoundShadows(qmlEngine);
}

QUrl RoundShadows::source(qreal diameter, qreal blur, const QColor &color) const
{
    return QUrl(QStringLiteral("image://%1/round?d=%2&b=%3&c=%4")
                    .arg(RoundShadowImageProvider::ProviderId)
                    .arg(diameter)
                    .arg(blur)
                    .arg(color.name(QColor::HexArgb).mid(1)));
}

} // namespace brimlark
