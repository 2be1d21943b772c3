#pragma once

#include "model/AppFolder.h"
#include "model/AppItem.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace brimlark {

// What dropped data names and where a dropped application goes. Bundles are
// matched by path everywhere, so "file:///A.app" and "file:///A.app/" name
// the same application.
class GridDropRules
{
public:
    // The bundle path a local file URL names, without a trailing separator;
    // nothing for any other URL.
    static std::optional<QString> bundlePath(const QUrl &url);
    // The same for dropped text: one URL, surrounding blanks allowed.
    static std::optional<QString> bundlePathOfText(const QString &text);

    // The first application of the list with that bundle path.
    static std::optional<AppItem> installedApp(const QList<AppItem> &apps, const QString &path);

    // Where in the folder's list an application stands, matched by path.
    static qsizetype positionInFolder(const AppFolder &folder, const QString &path);

    // The list move that puts `source` where `target` stands in the folder:
    // the source's position and the destination (counted before the move);
    // nothing when either is not in the folder.
    struct Move
    {
        int from = 0;
        int destination = 0;
        bool operator==(const Move &other) const = default;
    };
    static std::optional<Move> moveOnto(
        const AppFolder &folder, const QString &sourcePath, const QString &targetPath);

    // The application that text dropped on a folder names: the dropped URL
    // text first, else the first dropped URL; nothing unless it is installed.
    static std::optional<AppItem> appForFolderDrop(
        const QList<AppItem> &apps, const QString &text, const QList<QUrl> &urls);
};

} // namespace brimlark
