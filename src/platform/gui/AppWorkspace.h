#pragma once

#include "platform/core/ApplicationLauncher.h"

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

namespace brimlark {

// The workspace service: opens applications and URLs and supplies icons for
// files. Icon look-ups are safe from any thread and never touch the GUI
// thread's objects, so they can run on background pools.
class AppWorkspace : public ApplicationLauncher
{
public:
    // Icons are decoded at most this large on either side.
    static constexpr int MaxIconSize = 256;

    struct IconThemeOptions
    {
        // Folders holding icon themes ("<dir>/<theme>/<size>/mimetypes/<name>.png").
        QStringList searchDirs;
        // Themes to look in, in order.
        QStringList themeNames;
        static IconThemeOptions fromEnvironment();
    };

    AppWorkspace();
    explicit AppWorkspace(IconThemeOptions options);
    ~AppWorkspace() override;

    // The icon of the file at the path, at most pixelSize (clamped to
    // 1…MaxIconSize) on either side. A bundle gives its CFBundleIconFile
    // (.icns or .png in Contents/Resources) or the generic application icon;
    // other files give their MIME type's theme icon or a generic document.
    // Never null.
    virtual QImage iconForFile(const QString &path, int pixelSize) const;
    virtual QImage genericApplicationIcon(int pixelSize) const;

    // Hands the URL to the desktop (needs a GUI application); false when refused.
    virtual bool openUrl(const QUrl &url);

    // The bundle's icon file, when it names one that exists.
    static std::optional<QString> bundleIconFile(const QString &bundlePath);
    // Decodes an image file at most pixelSize on either side; null on failure.
    static QImage decodeIcon(const QString &filePath, int pixelSize);

private:
    struct ThemeDir
    {
        QString path;
        int theme; // index in themeNames
        int size; // 0 for scalable
    };
    QImage themeIconForFile(const QString &path, int pixelSize) const;
    std::optional<QString> themeIconFile(const QStringList &names, int pixelSize) const;
    const std::vector<ThemeDir> &themeDirs() const;
    QImage resourceIcon(const QString &resource, int pixelSize) const;

    IconThemeOptions m_options;
    mutable QMutex m_mutex;
    mutable bool m_themeDirsLoaded = false;
    mutable std::vector<ThemeDir> m_themeDirs;
    // The generic icon by pixel size: every bundle without an icon of its
    // own shares one picture, drawn from its SVG once.
    mutable QMutex m_genericMutex;
    mutable QHash<int, QImage> m_genericIcons;
};

} // namespace brimlark
