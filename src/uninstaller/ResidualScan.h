#pragma once

#include "uninstaller/AppResidualFile.h"
#include "uninstaller/ScanStage.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace brimlark {

// The twelve steps of a residual scan, run synchronously on the caller's
// (worker) thread. Reads only. Home-relative locations are below home,
// "/Library/..." ones below systemRoot.
class ResidualScan
{
public:
    // Another installed application: what its leftovers are named after.
    struct InstalledApp
    {
        QString name; // without ".app"
        std::optional<QString> bundleID;
    };
    struct Input
    {
        QString appName;
        QString bundlePath;
        std::optional<QString> bundleID; // as read from the bundle; validated here
        QString home;
        QString systemRoot;
        std::function<bool(const QByteArray &path)> isDeletable;
        // Every other installed application (not this bundle).
        QList<InstalledApp> otherApps;
    };
    using Announce = std::function<void(ScanStage stage, double progress)>;

    // An identifier is usable only as a plain name: letters, digits, ".", "_"
    // and "-", and not "." or "..". Anything else would turn a step's folder
    // into the Library folder itself or a sibling of it.
    static std::optional<QString> usableBundleID(const std::optional<QString> &raw);

    // Case-insensitive substring test of the name against the application
    // name and, when present, the identifier; an empty needle matches nothing.
    static bool nameMatches(
        const QString &name, const QString &appName, const std::optional<QString> &bundleID);
    // Whether a finding of the name rule starts selected: it names the
    // identifier, or the application's name as a whole word, and no other
    // installed application's name (a whole word) or identifier. Names
    // shorter than 3 characters select nothing by themselves.
    static bool startsSelected(const QString &name, const QString &appName,
        const std::optional<QString> &bundleID, const QList<InstalledApp> &otherApps);
    // needle occurs in text with no letter or digit right before or after it.
    static bool containsWord(const QString &text, const QString &needle);
    // The bundles directly inside the application folders (the catalog's
    // rule), with identifiers read by bundleIdentifier; the one at
    // excludedPath is left out.
    static QList<InstalledApp> installedApplications(const QString &home, const QString &systemRoot,
        const QString &excludedPath,
        const std::function<std::optional<QString>(const QString &bundlePath)> &bundleIdentifier);

    // The identifier's pieces after the first, compared as written.
    static bool groupMatches(const QString &name, const QString &bundleID);
    // Whether a group container starts selected: it holds the whole
    // identifier (after a team or "group." prefix), and no other installed
    // application's identifier; a shared piece of one tells nothing.
    static bool groupStartsSelected(
        const QString &name, const QString &bundleID, const QList<InstalledApp> &otherApps);

    // Sum of the sizes of the regular files below a folder, hidden entries and
    // everything inside hidden folders left out; a file's own size otherwise.
    // Any depth: the walk holds a bounded number of descriptors.
    static qint64 directorySize(const QByteArray &path);
    // A regular file's own size, not following a link; 0 for anything else.
    static qint64 fileSize(const QByteArray &path);

    // Every Library folder the steps list, in step order; the access gate
    // checks that these can be read.
    static QStringList foldersRead(const QString &home, const QString &systemRoot);

    static QList<AppResidualFile> run(const Input &input, const Announce &announce);
};

} // namespace brimlark
