#include "views/RoundShadows.h"

#include <QQmlEngine>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>

namespace brimlark {

namespace {

qreal sigmaFor(qreal blur)
{
    return std::max<qreal>(0.01, blur / 2);
}

} // namespace

RoundShadowImageProvider::RoundShadowImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

int RoundShadowImageProvider::reach(qreal blur)
{
    return blur <= 0 ? 0 : int(std::ceil(3 * sigmaFor(blur)));
}

QImage RoundShadowImageProvider::shadow(qreal diameter, qreal blur, const QColor &color, qreal scale)
{
    scale = std::clamp<qreal>(scale, 0.5, 4);
    diameter = std::clamp<qreal>(diameter, 1, 512);
    const qreal logicalSide = diameter + 2 * reach(blur);
    const int side = std::max(1, int(std::ceil(logicalSide * scale)));
    const qreal radius = diameter / 2;
    const qreal sigma = sigmaFor(blur);
    QImage out(side, side, QImage::Format_ARGB32_Premultiplied);
    // A blurred disc is, to the eye, its edge blurred across the radius: the
    // share of a Gaussian that lies inside the circle at each distance.
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const qreal dx = (x + 0.5) / scale - logicalSide / 2;
            const qreal dy = (y + 0.5) / scale - logicalSide / 2;
            const qreal distance = std::sqrt(dx * dx + dy * dy);
            const qreal inside = blur <= 0 ? (distance <= radius ? 1.0 : 0.0)
                                           : 0.5 * std::erfc((distance - radius) / (sigma * std::sqrt(2.0)));
            const int alpha = int(std::lround(std::clamp<qreal>(inside * color.alphaF(), 0, 1) * 255));
            line[x] = qPremultiply(qRgba(color.red(), color.green(), color.blue(), alpha));
        }
    }
    return out;
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
