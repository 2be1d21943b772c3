#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QQuickImageProvider>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace brimlark {

// The soft shadow of a circle, made once per diameter, blur and colour and
// shared by every item that casts it: a swatch or a knob draws a picture
// instead of blurring itself each frame. Served as "image://roundshadows/…".
class RoundShadowImageProvider : public QQuickImageProvider
{
public:
    static inline const QString ProviderId = QStringLiteral("roundshadows");

    RoundShadowImageProvider();
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // A circle of `diameter` points blurred by `blur` (the blur radius, taken
    // as twice the Gaussian's deviation) in `color`, centred in a square of
    // diameter + 2 × reach(blur) points, at `scale` pixels per point.
    static QImage shadow(qreal diameter, qreal blur, const QColor &color, qreal scale = 1);
    // How far the shadow reaches beyond the circle.
    static int reach(qreal blur);
};

// The QML face (the Brimlark.Views singleton RoundShadows): the picture's
// URL and reach. Making it installs the provider in its engine.
class RoundShadows : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit RoundShadows(QQmlEngine *engine, QObject *parent = nullptr);
    static RoundShadows *create(QQmlEngine *qmlEngine, QJSEngine *jsEngine);

    Q_INVOKABLE QUrl source(qreal diameter, qreal blur, const QColor &color) const;
    Q_INVOKABLE int reach(qreal blur) const { return RoundShadowImageProvider::reach(blur); }
};

} // namespace brimlark
