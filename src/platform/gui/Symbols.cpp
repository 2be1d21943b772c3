#include "platform/gui/Symbols.h"

#include <QCache>
#include <QDir>
#include <QFile>
#include <QHashFunctions>
#include <QMutex>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <optional>

namespace brimlark {

namespace {

const QString s_prefix = QStringLiteral(":/symbols/");
const QString s_suffix = QStringLiteral(".svg");

// Names are stored by users' folders and workspaces; only the characters that
// symbol names use may reach a resource path, so "../x" cannot name another
// resource.
bool isWellFormed(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char('.'))
        || name.contains(QLatin1String(".."))) {
        return false;
    }
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'.';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// A drawing of a symbol at one size in one tint.
struct Drawing
{
    QString name;
    QSize size;
    quint64 tint;
    bool operator==(const Drawing &other) const
    {
        return name == other.name && size == other.size && tint == other.tint;
    }
};

size_t qHash(const Drawing &drawing, size_t seed = 0)
{
    return qHashMulti(seed, drawing.name, drawing.size.width(), drawing.size.height(), drawing.tint);
}

// A window shows the same symbols many times over (each row's chevron, each
// tile's badge): each drawing is made from its SVG once and then shared, up
// to a mebibyte of them.
class Drawings
{
public:
    std::optional<QImage> find(const Drawing &drawing)
    {
        QMutexLocker lock(&m_mutex);
        if (const QImage *image = m_images.object(drawing)) {
            return *image;
        }
        return std::nullopt;
    }
    void keep(const Drawing &drawing, const QImage &image)
    {
        QMutexLocker lock(&m_mutex);
        // Charged in KiB; one larger than the whole cache is not kept.
        m_images.insert(drawing, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
    }

private:
    QMutex m_mutex;
    QCache<Drawing, QImage> m_images { 1024 };
};

Drawings &drawings()
{
    static Drawings shared;
    return shared;
}

QImage draw(const QString &path, const QSize &size, const QColor &tint)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QSizeF glyph = renderer.viewBoxF().size();
    if (glyph.isEmpty()) {
        glyph = QSizeF(size);
    }
    glyph.scale(QSizeF(size), Qt::KeepAspectRatio);
    const QRectF target((size.width() - glyph.width()) / 2.0, (size.height() - glyph.height()) / 2.0,
        glyph.width(), glyph.height());

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, target);
    // The glyph's own colour is replaced by the tint, its coverage kept.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), tint);
    painter.end();
    return image;
}

} // namespace

QString Symbols::resourcePath(const QString &name)
{
    if (!isWellFormed(name)) {
        return {};
    }
    QString path = s_prefix + name + s_suffix;
    return QFile::exists(path) ? path : QString();
}

bool Symbols::exists(const QString &name)
{
    return !resourcePath(name).isEmpty();
}

QStringList Symbols::names()
{
    QStringList result;
    const QStringList files = QDir(s_prefix).entryList({ QStringLiteral("*.svg") }, QDir::Files, QDir::Name);
    result.reserve(files.size());
    for (const QString &file : files) {
        result.append(file.chopped(s_suffix.size()));
    }
    return result;
}

QImage Symbols::image(const QString &name, const QSize &size, const QColor &tint)
{
    if (size.isEmpty()) {
        return {};
    }
    const Drawing drawing { name, size, quint64(tint.rgba64()) };
    if (std::optional<QImage> kept = drawings().find(drawing)) {
        return *kept;
    }
    const QString path = resourcePath(name);
    if (path.isEmpty()) {
        return {};
    }
    QImage image = draw(path, size, tint);
    if (!image.isNull()) {
        drawings().keep(drawing, image);
    }
    return image;
}

} // namespace brimlark
