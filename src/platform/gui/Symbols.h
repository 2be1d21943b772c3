#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace brimlark {

// Symbol images by name ("folder.fill", "magnifyingglass", ...), drawn from
// the SVG glyphs compiled into the resources. Names with a ".fill" part use
// the filled glyph. A name without a glyph draws nothing.
class Symbols
{
public:
    static bool exists(const QString &name);
    // ":/symbols/<name>.svg", or empty when the name has no glyph.
    static QString resourcePath(const QString &name);
    // Every name that has a glyph, sorted.
    static QStringList names();

    // The glyph scaled to fit the size (keeping its aspect), centred, painted
    // in the tint; a null image when the name has no glyph or the size is empty.
    static QImage image(const QString &name, const QSize &size, const QColor &tint);
};

} // namespace brimlark
