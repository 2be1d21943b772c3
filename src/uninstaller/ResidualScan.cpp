#include "uninstaller/ResidualScan.h"

#include "uninstaller/helper/TreeWalk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Visible entries of a folder, one level, as the file system spells them,
// sorted so a scan's order does not depend on the file system's hashing.
// Missing or unreadable: none.
QList<QByteArray> listFolder(const QByteArray &folder)
{
    QList<QByteArray> names;
    DIR *dir = opendir(folder.constData());
    if (!dir) {
        return names;
    }
    while (dirent *entry = readdir(dir)) {
        if (!isHidden(entry->d_name)) {
            names.append(QByteArray(entry->d_name));
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end(),
        [](const QByteArray &a, const QByteArray &b) { return QFile::decodeName(a) < QFile::decodeName(b); });
    return names;
}

bool existsNoFollow(const QByteArray &path)
{
    struct stat st;
    return lstat(path.constData(), &st) == 0;
}

QString under(const QString &base, const char *relative)
{
    return (base == QLatin1String("/") ? QString() : base) + QLatin1Char('/') + QLatin1String(relative);
}

} // namespace

std::optional<QString> ResidualScan::usableBundleID(const std::optional<QString> &raw)
{
    // \A and \z: "$" would let a trailing line feed through.
    static const QRegularExpression plain(QStringLiteral("\\A[A-Za-z0-9._-]+\\z"));
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

bool ResidualScan::groupStartsSelected(
    const QString &name, const QString &bundleID, const QList<InstalledApp> &otherApps)
{
    if (!containsWord(name, bundleID)) {
        return false;
    }
    // As for names: an identifier strictly inside ours tells nothing, any
    // other (an equal one is another copy, still installed) keeps it.
    return std::none_of(otherApps.cbegin(), otherApps.cend(), [&](const InstalledApp &other) {
        return other.bundleID && !other.bundleID->isEmpty()
            && !(bundleID.size() > other.bundleID->size()
                && bundleID.contains(*other.bundleID, Qt::CaseInsensitive))
            && name.contains(*other.bundleID, Qt::CaseInsensitive);
    });
}

bool ResidualScan::containsWord(const QString &text, const QString &needle)
{
    if (needle.isEmpty()) {
        return false;
    }
    for (qsizetype at = text.indexOf(needle, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(needle, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + needle.size();
        if ((at == 0 || !text.at(at - 1).isLetterOrNumber())
            && (end == text.size() || !text.at(end).isLetterOrNumber())) {
            return true;
        }
    }
    return false;
}

bool ResidualScan::startsSelected(const QString &name, const QString &appName,
    const std::optional<QString> &bundleID, const QList<InstalledApp> &otherApps)
{
    // A short name is part of too many others' names to choose anything.
    if (appName.size() < 3) {
        return false;
    }
    const bool ours
        = (bundleID && name.contains(*bundleID, Qt::CaseInsensitive)) || containsWord(name, appName);
    if (!ours) {
        return false;
    }
    // A name or identifier strictly inside this application's own ("Sky"
    // beside "Night Sky") is in every finding of it and tells nothing; an
    // equal one is another copy of it, still installed, and does.
    const auto inOwn = [](const std::optional<QString> &own, const QString &other) {
        return own && own->size() > other.size() && own->contains(other, Qt::CaseInsensitive);
    };
    for (const InstalledApp &other : otherApps) {
        if (!other.name.isEmpty() && !inOwn(appName, other.name) && containsWord(name, other.name)) {
            return false;
        }
        if (other.bundleID && !other.bundleID->isEmpty() && !inOwn(bundleID, *other.bundleID)
            && name.contains(*other.bundleID, Qt::CaseInsensitive)) {
            return false;
        }
    }
    return true;
}

QList<ResidualScan::InstalledApp> ResidualScan::installedApplications(const QString &home,
    const QString &systemRoot, const QString &excludedPath,
    const std::function<std::optional<QString>(const QString &bundlePath)> &bundleIdentifier)
{
    static const QByteArray extension = QByteArrayLiteral(".app");
    QList<InstalledApp> apps;
    const QString excluded = QDir::cleanPath(excludedPath);
    // A link to the bundle is no other copy of it: compared by where it
    // leads. When the bundle is itself a link, its target stays installed.
    const QFileInfo excludedInfo(excluded);
    const QString excludedTarget = excludedInfo.isSymLink() ? QString() : excludedInfo.canonicalFilePath();
    for (const QString &folder : { under(systemRoot, "Applications"),
             under(systemRoot, "System/Applications"), under(home, "Applications") }) {
        for (const QByteArray &entry : listFolder(QFile::encodeName(folder))) {
            if (entry.size() <= extension.size() || !entry.endsWith(extension)) {
                continue;
            }
            const QString path = folder + QLatin1Char('/') + QFile::decodeName(entry);
            if (QDir::cleanPath(path) == excluded
                || (!excludedTarget.isEmpty() && QFileInfo(path).canonicalFilePath() == excludedTarget)) {
                continue;
            }
            struct stat st;
            // Bundles are folders; a link counts when it leads to one.
            if (stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
                continue;
            }
            InstalledApp app { QFile::decodeName(entry.chopped(extension.size())), std::nullopt };
            if (bundleIdentifier) {
                app.bundleID = usableBundleID(bundleIdentifier(path));
            }
            apps.append(app);
        }
    }
    return apps;
}

qint64 ResidualScan::fileSize(const QByteArray &path)
{
    struct stat st;
    // A folder has no size of its own here, and a link is not followed.
    if (lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return 0;
    }
    return st.st_size;
}

qint64 ResidualScan::directorySize(const QByteArray &path)
{
    struct stat st;
    if (lstat(path.constData(), &st) != 0) {
        return 0;
    }
    if (!S_ISDIR(st.st_mode)) {
        return S_ISREG(st.st_mode) ? st.st_size : 0;
    }
    qint64 total = 0;
    TreeWalk walk;
    walk.skipHidden = true;
    walk.visit = [&total](int, const std::string &, const struct stat &entry) {
        if (S_ISREG(entry.st_mode)) {
            total += entry.st_size;
        }
    };
    walk.run(AT_FDCWD, path.toStdString());
    return total;
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
    // A bundle that is a link is another application's under a name of its
    // own: only that name is looked for, never the target's identifier.
    struct stat bundleStat;
    const bool bundleIsLink = lstat(QFile::encodeName(in.bundlePath).constData(), &bundleStat) == 0
        && S_ISLNK(bundleStat.st_mode);
    const std::optional<QString> bundleID = bundleIsLink ? std::nullopt : usableBundleID(in.bundleID);
    QList<AppResidualFile> found;
    // select: whether the entry may start selected (it still needs to be
    // the user's to delete).
    const auto add = [&](const QByteArray &native, ResidualCategory category, const QString &displayName,
                         qint64 size, bool select) {
        const bool deletable = in.isDeletable ? in.isDeletable(native) : false;
        struct stat st
        {
        };
        const bool folder = lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        found.append({ QUuid::createUuid(), QFile::decodeName(native), category, displayName, size,
            deletable && select, deletable, folder, native });
    };
    using SizeRule = qint64 (*)(const QByteArray &);
    using Rule = std::function<bool(const QString &)>;
    // selectRule: none selects every match; otherwise it decides.
    const auto scanFolder = [&](const QString &folder, ResidualCategory category, SizeRule size,
                                const Rule &matches, const Rule &selectRule = {}) {
        const QByteArray base = QFile::encodeName(folder);
        for (const QByteArray &entry : listFolder(base)) {
            const QString name = QFile::decodeName(entry);
            if (matches(name)) {
                const QByteArray path = base + '/' + entry;
                add(path, category, name, size(path), !selectRule || selectRule(name));
            }
        }
    };
    const auto byName = [&](const QString &name) { return nameMatches(name, in.appName, bundleID); };
    const auto chosen
        = [&](const QString &name) { return startsSelected(name, in.appName, bundleID, in.otherApps); };
    const auto single = [&](const QString &folder, const QString &name, ResidualCategory category) {
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
        if (existsNoFollow(path)) {
            add(path, category, name, directorySize(path), true);
        }
    };

    announce(ScanStage::bundle, 0.05);
    const QByteArray bundle = QFile::encodeName(in.bundlePath);
    add(bundle, ResidualCategory::appBundle, in.appName + QStringLiteral(".app"), directorySize(bundle),
        true);

    announce(ScanStage::preferences, 0.15);
    scanFolder(
        under(in.home, "Library/Preferences"), ResidualCategory::preferences, fileSize, byName, chosen);
    scanFolder(
        under(in.systemRoot, "Library/Preferences"), ResidualCategory::preferences, fileSize, byName, chosen);

    announce(ScanStage::appSupport, 0.28);
    scanFolder(under(in.home, "Library/Application Support"), ResidualCategory::appSupport, directorySize,
        byName, chosen);

    announce(ScanStage::caches, 0.40);
    scanFolder(under(in.home, "Library/Caches"), ResidualCategory::caches, directorySize, byName, chosen);

    announce(ScanStage::logs, 0.50);
    scanFolder(under(in.home, "Library/Logs"), ResidualCategory::logs, directorySize, byName, chosen);

    announce(ScanStage::containers, 0.62);
    if (bundleID) {
        single(under(in.home, "Library/Containers"), *bundleID, ResidualCategory::containers);
    }

    announce(ScanStage::groupContainers, 0.70);
    if (bundleID) {
        scanFolder(
            under(in.home, "Library/Group Containers"), ResidualCategory::groupContainers, directorySize,
            [&](const QString &name) { return groupMatches(name, *bundleID); },
            [&](const QString &name) { return groupStartsSelected(name, *bundleID, in.otherApps); });
    }

    announce(ScanStage::launchAgents, 0.78);
    scanFolder(
        under(in.home, "Library/LaunchAgents"), ResidualCategory::launchAgents, fileSize, byName, chosen);
    scanFolder(under(in.systemRoot, "Library/LaunchAgents"), ResidualCategory::launchAgents, fileSize, byName,
        chosen);
    scanFolder(under(in.systemRoot, "Library/LaunchDaemons"), ResidualCategory::launchAgents, fileSize,
        byName, chosen);

    announce(ScanStage::crashReports, 0.85);
    scanFolder(
        under(in.home, "Library/Logs/DiagnosticReports"), ResidualCategory::crashReports, fileSize,
        [&](const QString &name) { return nameMatches(name, in.appName, std::nullopt); },
        [&](const QString &name) { return startsSelected(name, in.appName, std::nullopt, in.otherApps); });

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
    scanFolder(
        under(in.systemRoot, "Library/Receipts"), ResidualCategory::receipts, fileSize, byName, chosen);
    return found;
}

} // namespace brimlark
