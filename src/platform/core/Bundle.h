#pragma once

#include <QString>

#include <sys/stat.h>

#include <memory>
#include <optional>

namespace brimlark {

// An application bundle on disk: a directory with Contents/Info.plist (XML or
// binary). The information list is read once, when the bundle is opened; a
// missing, oversized or unparsable list leaves the bundle open with no keys.
class Bundle
{
public:
    // Information lists beyond this size are not read: no real one comes close.
    static constexpr qint64 MaxInfoPlistBytes = 4 * 1024 * 1024;

    // None when nothing, or no directory, is at the path.
    static std::optional<Bundle> open(const QString &path);
    // For a path a directory listing has just named as a folder: skips the
    // check that a directory is there.
    static Bundle openListed(const QString &path);

    const QString &path() const { return m_path; }
    QString infoPlistPath() const;
    QString resourcesPath() const;
    // Whether Contents/Info.plist was read as a dictionary.
    bool hasInfo() const { return bool(m_info); }

    // The text under a top-level key; none when absent or not text.
    std::optional<QString> stringForInfoKey(const QString &key) const;

    // Contents/MacOS/<CFBundleExecutable>; none without a usable executable name.
    std::optional<QString> executablePath() const;
    // The existing Contents/Resources file CFBundleIconFile names (".icns"
    // or ".png" tried when it has no extension).
    std::optional<QString> iconFilePath() const;

    // Tells apart the states of the files an application's icon and
    // category come from (the bundle and Contents folders, Info.plist, the
    // Resources folder and the icon file): it changes whenever one of them
    // is created, written, replaced or removed, even to an older date. Never 0.
    // Info.plist counts as it was when the bundle was opened.
    quint64 iconStamp() const;

    // What a catalog scan asks of a bundle, each file looked at once.
    struct Survey
    {
        std::optional<QString> iconFile; // iconFilePath()
        quint64 iconStamp = 0; // iconStamp()
        // The bundle folder's own status, its birth time asked for too;
        // stx_mask is 0 when it could not be read.
        struct statx status = {};
    };
    Survey survey() const;
    // The same for any file: a bundle's as above, another file's own.
    static quint64 iconStampOf(const QString &path);

private:
    explicit Bundle(QString path)
        : m_path(std::move(path))
    {
    }
    void readInfo();
    // iconFilePath(), with the found file's status.
    std::optional<QString> iconFile(struct stat *status) const;

    QString m_path;
    // The parsed list, kept as it is: a look-up converts one key only.
    std::shared_ptr<void> m_info;
    // Info.plist's status as the read found it; none when it did not open.
    std::optional<struct stat> m_infoStatus;
};

} // namespace brimlark
