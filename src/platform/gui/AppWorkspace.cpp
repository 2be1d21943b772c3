#include "platform/gui/AppWorkspace.h"

#include "platform/core/Bundle.h"
#include "platform/core/PathComponent.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QMutexLocker>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

static void initPlatformResources()
{
    Q_INIT_RESOURCE(platform);
}

namespace brimlark {

namespace {
// A hostile icon file must not make us allocate without bound.
constexpr int DecodeAllocationLimitMiB = 32;

int clampSize(int pixelSize)
{
    return std::clamp(pixelSize, 1, AppWorkspace::MaxIconSize);
}

QImage boundedCopy(QImage image, int pixelSize)
{
    if (image.isNull()) {
        return image;
    }
    if (image.width() > pixelSize || image.height() > pixelSize) {
        image = image.scaled(pixelSize, pixelSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Drawn when even the shipped picture cannot be decoded (no SVG reader).
QImage paintedIcon(int pixelSize, bool application)
{
    QImage image(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = pixelSize;
    if (application) {
        QPainterPath tile;
        tile.addRoundedRect(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88), s * 0.2, s * 0.2);
        p.fillPath(tile, QColor(0x8E, 0x9A, 0xAF));
        p.setBrush(QColor(0xF4, 0xF6, 0xFA));
        p.setPen(Qt::NoPen);
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                p.drawEllipse(QRectF(s * (0.22 + col * 0.21), s * (0.22 + row * 0.21), s * 0.14, s * 0.14));
            }
        }
    } else {
        p.setPen(QPen(QColor(0x9A, 0xA3, 0xB0), std::max(1.0, s * 0.03)));
        p.setBrush(QColor(0xFB, 0xFB, 0xFD));
        p.drawRect(QRectF(s * 0.2, s * 0.08, s * 0.6, s * 0.84));
    }
    return image;
}

// Pixel side of an icon-family member by its type code.
int iconFamilyMemberSide(const QByteArray &type)
{
    static const QHash<QByteArray, int> sides = {
        { "ics#", 16 },
        { "ics4", 16 },
        { "ics8", 16 },
        { "is32", 16 },
        { "icp4", 16 },
        { "ic04", 16 },
        { "ICN#", 32 },
        { "icl4", 32 },
        { "icl8", 32 },
        { "il32", 32 },
        { "icp5", 32 },
        { "ic05", 32 },
        { "ic11", 32 },
        { "ich#", 48 },
        { "ich4", 48 },
        { "ich8", 48 },
        { "ih32", 48 },
        { "icp6", 64 },
        { "ic12", 64 },
        { "it32", 128 },
        { "ic07", 128 },
        { "ic08", 256 },
        { "ic13", 256 },
        { "ic09", 512 },
        { "ic14", 512 },
        { "ic10", 1024 },
    };
    return sides.value(type, 0);
}

int dirSize(const QString &name)
{
    // "48x48", "48" (some themes), "48x48@2" is left out: it would double the bytes.
    const QStringList parts = name.split(u'x');
    bool ok = false;
    const int n = parts.first().toInt(&ok);
    if (!ok || n <= 0 || parts.size() > 2 || (parts.size() == 2 && parts.last() != parts.first())) {
        return -1;
    }
    return n;
}
} // namespace

AppWorkspace::IconThemeOptions AppWorkspace::IconThemeOptions::fromEnvironment()
{
    IconThemeOptions options;
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString &dir : dataDirs) {
        options.searchDirs << dir + QStringLiteral("/icons");
    }
    options.searchDirs << QStringLiteral("/usr/share/icons");
    options.searchDirs.removeDuplicates();
    // The desktop's theme name is known to the GUI thread only.
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (app && QThread::currentThread() == app->thread()) {
        const QString theme = QIcon::themeName();
        if (!theme.isEmpty()) {
            options.themeNames << theme;
        }
    }
    options.themeNames << QStringLiteral("Adwaita") << QStringLiteral("breeze") << QStringLiteral("hicolor");
    options.themeNames.removeDuplicates();
    return options;
}

AppWorkspace::AppWorkspace()
    : AppWorkspace(IconThemeOptions::fromEnvironment())
{
}

AppWorkspace::AppWorkspace(IconThemeOptions options)
    : m_options(std::move(options))
{
    initPlatformResources();
}

AppWorkspace::~AppWorkspace() = default;

std::optional<QString> AppWorkspace::bundleIconFile(const QString &bundlePath)
{
    const auto bundle = Bundle::open(bundlePath);
    return bundle ? bundle->iconFilePath() : std::nullopt;
}

QImage AppWorkspace::decodeIcon(const QString &filePath, int pixelSize)
{
    pixelSize = clampSize(pixelSize);
    // A PNG named as one goes straight to the built-in decoder: left to find
    // its own way, the reader asks every image plugin about each file first,
    // which costs more than decoding a small icon.
    QFile file(filePath);
    QImageReader reader;
    if (filePath.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) && file.open(QIODevice::ReadOnly)
        && file.peek(8) == QByteArrayLiteral("\x89PNG\r\n\x1a\n")) {
        reader.setDevice(&file);
        reader.setFormat("png");
        reader.setAutoDetectImageFormat(false);
    } else {
        reader.setFileName(filePath);
    }
    reader.setAllocationLimit(DecodeAllocationLimitMiB);
    // An icon family holds one picture per size: take the smallest that still
    // covers the display size, else the largest there is, so nothing larger
    // than needed is ever decoded.
    if (reader.imageCount() > 1) {
        int best = -1;
        int bestSide = 0;
        for (int i = 0; i < reader.imageCount(); ++i) {
            if (!reader.jumpToImage(i)) {
                break;
            }
            const int side = iconFamilyMemberSide(reader.subType());
            if (side <= 0) {
                continue;
            }
            const bool covers = side >= pixelSize;
            const bool bestCovers = bestSide >= pixelSize;
            if (best < 0 || (covers && (!bestCovers || side < bestSide))
                || (!covers && !bestCovers && side > bestSide)) {
                best = i;
                bestSide = side;
            }
        }
        reader.jumpToImage(best >= 0 ? best : 0);
    }
    // Vector pictures are drawn at the display size; large bitmaps decode
    // smaller where the reader can do that itself.
    if (reader.supportsOption(QImageIOHandler::ScaledSize)) {
        const QSize natural = reader.size();
        const bool vector = reader.format() == "svg" || reader.format() == "svgz";
        if (natural.isValid() && (vector || natural.width() > pixelSize || natural.height() > pixelSize)) {
            reader.setScaledSize(natural.scaled(pixelSize, pixelSize, Qt::KeepAspectRatio));
        }
    }
    return boundedCopy(reader.read(), pixelSize);
}

QImage AppWorkspace::iconForFile(const QString &path, int pixelSize) const
{
    pixelSize = clampSize(pixelSize);
    const QFileInfo info(path);
    const bool looksLikeBundle
        = path.endsWith(QStringLiteral(".app")) || path.endsWith(QStringLiteral(".app/"));
    if (looksLikeBundle && (info.isDir() || !info.exists())) {
        if (const auto file = bundleIconFile(path)) {
            const QImage image = decodeIcon(*file, pixelSize);
            if (!image.isNull()) {
                return image;
            }
        }
        return genericApplicationIcon(pixelSize);
    }
    return themeIconForFile(path, pixelSize);
}

QImage AppWorkspace::genericApplicationIcon(int pixelSize) const
{
    pixelSize = clampSize(pixelSize);
    {
        const QMutexLocker lock(&m_genericMutex);
        if (const auto found = m_genericIcons.constFind(pixelSize); found != m_genericIcons.cend()) {
            return *found;
        }
    }
    QImage image = resourceIcon(QStringLiteral(":/brimlark/platform/generic-app.svg"), pixelSize);
    if (image.isNull()) {
        image = paintedIcon(pixelSize, true);
    }
    const QMutexLocker lock(&m_genericMutex);
    return *m_genericIcons.insert(pixelSize, image);
}

QImage AppWorkspace::resourceIcon(const QString &resource, int pixelSize) const
{
    return decodeIcon(resource, pixelSize);
}

QImage AppWorkspace::themeIconForFile(const QString &path, int pixelSize) const
{
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(path);
    QStringList names;
    if (QFileInfo(path).isDir()) {
        names << QStringLiteral("folder");
    }
    if (type.isValid()) {
        names << type.iconName() << type.genericIconName();
        const QStringList parents = type.allAncestors();
        for (const QString &parent : parents) {
            const QMimeType p = database.mimeTypeForName(parent);
            names << p.iconName() << p.genericIconName();
        }
    }
    names << QStringLiteral("text-x-generic") << QStringLiteral("application-x-generic");
    names.removeAll(QString());
    names.removeDuplicates();
    if (const auto file = themeIconFile(names, pixelSize)) {
        const QImage image = decodeIcon(*file, pixelSize);
        if (!image.isNull()) {
            return image;
        }
    }
    const QImage document
        = resourceIcon(QStringLiteral(":/brimlark/platform/generic-document.svg"), pixelSize);
    return document.isNull() ? paintedIcon(pixelSize, false) : document;
}

const std::vector<AppWorkspace::ThemeDir> &AppWorkspace::themeDirs() const
{
    // Called with m_mutex held.
    if (m_themeDirsLoaded) {
        return m_themeDirs;
    }
    m_themeDirsLoaded = true;
    for (int t = 0; t < m_options.themeNames.size(); ++t) {
        for (const QString &base : m_options.searchDirs) {
            const QDir theme(base + u'/' + m_options.themeNames.at(t));
            if (!theme.exists()) {
                continue;
            }
            const QStringList entries = theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            for (const QString &entry : entries) {
                if (entry == u"scalable") {
                    m_themeDirs.push_back({ theme.filePath(entry + QStringLiteral("/mimetypes")), t, 0 });
                } else if (entry == u"mimetypes") {
                    // "mimetypes/48" layout.
                    const QStringList sizes
                        = QDir(theme.filePath(entry)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
                    for (const QString &size : sizes) {
                        const int n = dirSize(size);
                        if (n > 0) {
                            m_themeDirs.push_back({ theme.filePath(entry + u'/' + size), t, n });
                        }
                    }
                } else if (const int n = dirSize(entry); n > 0) {
                    m_themeDirs.push_back({ theme.filePath(entry + QStringLiteral("/mimetypes")), t, n });
                }
            }
        }
    }
    return m_themeDirs;
}

std::optional<QString> AppWorkspace::themeIconFile(const QStringList &names, int pixelSize) const
{
    QMutexLocker lock(&m_mutex);
    std::vector<ThemeDir> dirs = themeDirs();
    // Within a theme: the smallest size that covers the request, then
    // scalable pictures, then the largest smaller size.
    auto rank = [pixelSize](const ThemeDir &d) {
        if (d.size >= pixelSize) {
            return d.size - pixelSize;
        }
        if (d.size == 0) {
            return 100000;
        }
        return 200000 + (pixelSize - d.size);
    };
    std::stable_sort(dirs.begin(), dirs.end(), [&](const ThemeDir &a, const ThemeDir &b) {
        if (a.theme != b.theme) {
            return a.theme < b.theme;
        }
        return rank(a) < rank(b);
    });
    for (const QString &name : names) {
        if (!plainComponent(name)) {
            continue;
        }
        for (const ThemeDir &dir : dirs) {
            for (const char *ext : { ".png", ".svg" }) {
                const QString file = dir.path + u'/' + name + QLatin1String(ext);
                if (QFileInfo::exists(file)) {
                    return file;
                }
            }
        }
    }
    return std::nullopt;
}

bool AppWorkspace::openUrl(const QUrl &url)
{
    if (!url.isValid() || !qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        return false;
    }
    return QDesktopServices::openUrl(url);
}

} // namespace brimlark
