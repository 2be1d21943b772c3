#include "views/RoundShadows.h"

#include "views/ImageProviderInstall.h"
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
    diameter = std::clamp<qreal>(diameter, 1, 512);
    return ShadowPainter::around(QSizeF(diameter, diameter), diameter / 2, blur, reach(blur), color, scale);
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
    const qreal scale = ShadowPainter::scaleFor(requestedSize, diameter + 2 * reach(blur));
    QImage image = shadow(diameter, blur, color.isValid() ? color : QColor(Qt::transparent), scale);
    if (size) {
        *size = image.size();
    }
    return image;
}

RoundShadows::RoundShadows(QQmlEngine *engine, QObject *parent)
    : QObject(parent)
{
    installImageProvider<RoundShadowImageProvider>(engine);
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
