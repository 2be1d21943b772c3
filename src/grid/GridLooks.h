#pragma once

#include "grid/GridColumns.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QQuickImageProvider>
#include <QRgba64>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <optional>
#include <utility>

class QQmlEngine;
class QJSEngine;

namespace brimlark {

// Pictures the grid draws many of, made once and shared: a soft shadow as a
// nine-patch (a blurred rounded rectangle whose corners stay put while its
// middle stretches, so one small texture serves a shadow of any size) and a
// rounded rectangle filled with a diagonal gradient. A live blur per tile or
// card would cost every frame of a scroll; these cost one texture each.
// Served as "image://gridlooks/shadow?…", "…/fill?…" and "…/text?…" (a
// title in a gradient, which no text item of this Qt draws).
class GridLooksImageProvider : public QQuickImageProvider
{
public:
    static inline const QString ProviderId = QStringLiteral("gridlooks");

    GridLooksImageProvider();
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // The shadow of a rounded rectangle with corner radius `cornerRadius`
    // and blur radius `blur`, in `color`, as a nine-patch of
    // 2 × border + 1 pixels square whose corners are `border(…)` wide, at
    // `scale` pixels per point; the shape itself lies `margin(blur)` inside.
    static QImage shadow(qreal cornerRadius, qreal blur, const QColor &color, qreal scale = 1);
    // The same shadow under a shape of `shape` points, whole: `margin(blur)`
    // wider on every side. Drawn as it is, with nothing stretched, for a
    // shape whose size never changes: a nine-patch costs the software
    // renderer nine scaled copies on every frame, this one copy.
    static QImage shadow(
        const QSizeF &shape, qreal cornerRadius, qreal blur, const QColor &color, qreal scale = 1);
    // A rounded rectangle of `size` points with a gradient from `from` at
    // the top-leading corner to `to` at the bottom-trailing one and, when
    // `borderWidth` is above 0, an outline of that width whose gradient runs
    // the same way through `border` (one to three colours).
    static QImage fill(const QSizeF &size, qreal cornerRadius, const QColor &from, const QColor &to,
        qreal borderWidth = 0, const QList<QColor> &border = {}, qreal scale = 1);
    // A line of bold text in the application's font at `pixelSize`, filled
    // with a gradient from `from` (top-leading) to `to` (bottom-trailing).
    static QImage gradientText(
        const QString &text, int pixelSize, const QColor &from, const QColor &to, qreal scale = 1);
    // The points that line takes.
    static QSizeF textSize(const QString &text, int pixelSize);
    static QString textId(const QString &text, int pixelSize, const QColor &from, const QColor &to);
    // Query texts of the two kinds, as the URLs carry them.
    static QString shadowId(
        qreal cornerRadius, qreal blur, const QColor &color, const QSizeF &shape = QSizeF());
    static QString fillId(const QSizeF &size, qreal cornerRadius, const QColor &from, const QColor &to,
        qreal borderWidth, const QList<QColor> &border);
    // How far a shadow of blur radius `blur` reaches beyond its shape.
    static int margin(qreal blur);
    // The nine-patch's fixed edge: the reach, the corner and the blur's
    // reach inside the shape.
    static int border(qreal cornerRadius, qreal blur);
};

// The QML face of those pictures (the Brimlark.Grid singleton GridLooks):
// their image URLs and the shadow's reach. Making it installs the image
// provider in its engine, so a view needs nothing else set up.
class GridLooks : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // An application tile's measures, shared by every grid of tiles: its
    // width (the narrowest tile column) and the spacing between columns,
    // the icon's frame and the icon in it, and the gap around the name.
    Q_PROPERTY(int tileWidth READ tileWidth CONSTANT)
    Q_PROPERTY(int tileSpacing READ tileSpacing CONSTANT)
    Q_PROPERTY(int tileIconFrame READ tileIconFrame CONSTANT)
    Q_PROPERTY(int tileIconSize READ tileIconSize CONSTANT)
    Q_PROPERTY(int tileGap READ tileGap CONSTANT)

public:
    // Not default-constructible on purpose: the engine then makes it through
    // create(), which installs the provider first.
    explicit GridLooks(QQmlEngine *engine, QObject *parent = nullptr);
    static GridLooks *create(QQmlEngine *qmlEngine, QJSEngine *jsEngine);

    static int tileWidth() { return int(GridColumns().apps.minimum); }
    static int tileSpacing() { return int(GridColumns().apps.spacing); }
    static int tileIconFrame() { return 90; }
    static int tileIconSize() { return 80; }
    static int tileGap() { return 8; }
    // A tile's height with its name on up to two lines `nameLineSpacing` apart.
    Q_INVOKABLE static qreal tileHeight(qreal nameLineSpacing)
    {
        return tileGap() + tileIconFrame() + tileGap() + 2 * nameLineSpacing + tileGap();
    }

    // With a width and height: the whole shadow of a shape that size.
    Q_INVOKABLE QUrl shadowSource(
        qreal cornerRadius, qreal blur, const QColor &color, qreal width = 0, qreal height = 0) const;
    Q_INVOKABLE int shadowMargin(qreal blur) const { return GridLooksImageProvider::margin(blur); }
    Q_INVOKABLE int shadowBorder(qreal cornerRadius, qreal blur) const
    {
        return GridLooksImageProvider::border(cornerRadius, blur);
    }
    Q_INVOKABLE QUrl gradientTextSource(
        const QString &text, int pixelSize, const QColor &from, const QColor &to) const;
    Q_INVOKABLE QSizeF gradientTextSize(const QString &text, int pixelSize) const
    {
        return GridLooksImageProvider::textSize(text, pixelSize);
    }
    // `border`: up to three colours of the outline's gradient (none for no outline).
    Q_INVOKABLE QUrl fillSource(qreal width, qreal height, qreal cornerRadius, const QColor &from,
        const QColor &to, qreal borderWidth = 0, const QVariantList &border = {}) const;

private:
    // Every tile asks for the same shadow as it is made: the last answer is
    // kept rather than written out again for each.
    struct ShadowKey
    {
        qreal cornerRadius, blur;
        QRgba64 color;
        qreal width, height;
        bool operator==(const ShadowKey &) const = default;
    };
    mutable std::optional<std::pair<ShadowKey, QUrl>> m_lastShadow;
};

} // namespace brimlark
