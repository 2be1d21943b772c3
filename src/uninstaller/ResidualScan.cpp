#include "uninstaller/ResidualScan.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brimlark {

namespace {

bool isHidden(const char *name)
{
    return name[0] == '.';
}

qint64 sizeBelow(int dirFd)
{
    DIR *dir = fdopendir(dirFd);
    if (!dir) {
        close(dirFd);
        return 0;
    }
    qint64 total = 0;
    const int fd = dirfd(dir);
    while (dirent *entry = readdir(dir)) {
        if (isHidden(entry->d_name)) {
            continue;
        }
        if (entry->d_type == DT_DIR) {
            const int child = openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) {
                total += sizeBelow(child);
            }
            continue;
        }
        struct stat st;
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) {
            continue;
        }
        if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (S_ISREG(st.st_mode)) {
            total += st.st_size;
        } else if (S_ISDIR(st.st_mode)) {
            const int child = openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) {
                total += sizeBelow(child);
            }
        }
    }
    closedir(dir);
    return total;
}

// Visible entries of a folder, one level, sorted by name so a scan's order
// does not depend on the file system's hashing. Missing or unreadable: none.
QStringList listFolder(const QString &folder)
{
    QStringList names;
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        return names;
    }
    while (dirent *entry = readdir(dir)) {
        if (!isHidden(entry->d_name)) {
            names.append(QFile::decodeName(entry->d_name));
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool existsNoFollow(const QString &path)
{
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QString under(const QString &base, const char *relative)
{
    return (base == QLatin1String("/") ? QString() : base) + QLatin1Char('/') + QLatin1String(relative);
}

} // namespace

std::optional<QString> ResidualScan::usableBundleID(const std::optional<QString> &raw)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._-]+$"));
    if (!raw || *raw == QLatin1String(".") || *raw == QLatin1String("..") || !plain.match(*raw).hasMatch()) {
        return std::nullopt;
    }
    return raw;
}

bool ResidualScan::nameMatches(
    const QString &name, const QString &appName, const std::optional<QString> &bundleID)
{
    const QString lower = name.toLower();
    if (!appName.isEmpty() && lower.contains(appName.toLower())) {
        return true;
    }
    return bundleID && !bundleID->isEmpty() && lower.contains(bundleID->toLower());
}

bool ResidualScan::groupMatches(const QString &name, const QString &bundleID)
{
    const QString lower = name.toLower();
    const QStringList pieces = bundleID.split(QLatin1Char('.'));
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        if (!pieces[i].isEmpty() && lower.contains(pieces[i])) {
            return true;
        }
    }
    return false;
}

qint64 ResidualScan::fileSize(const QString &path)
{
    struct stat st;
    // A folder has no size of its own here, and a link is not followed.
    if (lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return 0;
    }
    return st.st_size;
}

qint64 ResidualScan::directorySize(const QString &path)
{
    struct stat st;
    const QByteArray native = QFile::encodeName(path);
    if (lstat(native.constData(), &st) != 0) {
        return 0;
    }
    if (!S_ISDIR(st.st_mode)) {
        return S_ISREG(st.st_mode) ? st.st_size : 0;
    }
    const int fd = open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return fd < 0 ? 0 : sizeBelow(fd);
}

QStringList ResidualScan::foldersRead(const QString &home, const QString &systemRoot)
{
    QStringList folders;
    for (const char *relative : { "Library/Preferences", "Library/Application Support", "Library/Caches",
             "Library/Logs", "Library/Containers", "Library/Group Containers", "Library/LaunchAgents",
             "Library/Logs/DiagnosticReports", "Library/Saved Application State", "Library/Extensions" }) {
        folders.append(under(home, relative));
    }
    for (const char *relative :
        { "Library/Preferences", "Library/LaunchAgents", "Library/LaunchDaemons", "Library/Receipts" }) {
        folders.append(under(systemRoot, relative));
    }
    return folders;
}

QList<AppResidualFile> ResidualScan::run(const Input &in, const Announce &announce)
{
    const std::optional<QString> bundleID = usableBundleID(in.bundleID);
    QList<AppResidualFile> found;
    const auto add
        = [&](const QString &path, ResidualCategory category, const QString &displayName, qint64 size) {
              const bool deletable = in.isDeletable ? in.isDeletable(path) : false;
              struct stat st
              {
              };
              const bool folder = lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
              found.append(
                  { QUuid::createUuid(), path, category, displayName, size, deletable, deletable, folder });
          };
    using SizeRule = qint64 (*)(const QString &);
    const auto scanFolder = [&](const QString &folder, ResidualCategory category, SizeRule size,
                                const std::function<bool(const QString &)> &matches) {
        for (const QString &name : listFolder(folder)) {
            if (matches(name)) {
                const QString path = folder + QLatin1Char('/') + name;
                add(path, category, name, size(path));
            }
        }
    };
    const auto byName = [&](const QString &name) { return nameMatches(name, in.appName, bundleID); };
    const auto single = [&](const QString &folder, const QString &name, ResidualCategory category) {
        const QString path = folder + QLatin1Char('/') + name;
        if (existsNoFollow(path)) {
            add(path, category, name, directorySize(path));
        }
    };

    announce(ScanStage::bundle, 0.05);
    add(in.bundlePath, ResidualCategory::appBundle, in.appName + QStringLiteral(".app"),
        directorySize(in.bundlePath));

    announce(ScanStage::preferences, 0.15);
    scanFolder(under(in.home, "Library/Preferences"), ResidualCategory::preferences, fileSize, byName);
    scanFolder(under(in.systemRoot, "Library/Preferences"), ResidualCategory::preferences, fileSize, byName);

    announce(ScanStage::appSupport, 0.28);
    scanFolder(
        under(in.home, "Library/Application Support"), ResidualCategory::appSupport, directorySize, byName);

    announce(ScanStage::caches, 0.40);
    scanFolder(under(in.home, "Library/Caches"), ResidualCategory::caches, directorySize, byName);

    announce(ScanStage::logs, 0.50);
    scanFolder(under(in.home, "Library/Logs"), ResidualCategory::logs, directorySize, byName);

    announce(ScanStage::containers, 0.62);
    if (bundleID) {
        single(under(in.home, "Library/Containers"), *bundleID, ResidualCategory::containers);
    }

    announce(ScanStage::groupContainers, 0.70);
    if (bundleID) {
        scanFolder(under(in.home, "Library/Group Containers"), ResidualCategory::groupContainers,
            directorySize, [&](const QString &name) { return groupMatches(name, *bundleID); });
    }

    announce(ScanStage::launchAgents, 0.78);
    scanFolder(under(in.home, "Library/LaunchAgents"), ResidualCategory::launchAgents, fileSize, byName);
    scanFolder(
        under(in.systemRoot, "Library/LaunchAgents"), ResidualCategory::launchAgents, fileSize, byName);
    scanFolder(
        under(in.systemRoot, "Library/LaunchDaemons"), ResidualCategory::launchAgents, fileSize, byName);

    announce(ScanStage::crashReports, 0.85);
    scanFolder(under(in.home, "Library/Logs/DiagnosticReports"), ResidualCategory::crashReports, fileSize,
        [&](const QString &name) { return nameMatches(name, in.appName, std::nullopt); });

    announce(ScanStage::savedState, 0.90);
    if (bundleID) {
        single(under(in.home, "Library/Saved Application State"), *bundleID + QStringLiteral(".savedState"),
            ResidualCategory::savedState);
    }

    announce(ScanStage::extensions, 0.94);
    if (bundleID) {
        const QString needle = bundleID->toLower();
        scanFolder(under(in.home, "Library/Extensions"), ResidualCategory::extensions, directorySize,
            [&](const QString &name) { return name.toLower().contains(needle); });
    }

    announce(ScanStage::receipts, 0.97);
    scanFolder(under(in.systemRoot, "Library/Receipts"), ResidualCategory::receipts, fileSize, byName);
    return found;
}

} // namespace brimlark
