#include "grid/GridDropRules.h"

#include "platform/BundleUrl.h"

namespace brimlark {

std::optional<QString> GridDropRules::bundlePath(const QUrl &url)
{
    return BundleUrl::localPath(url);
}

std::optional<QString> GridDropRules::bundlePathOfText(const QString &text)
{
    return BundleUrl::localPathOfText(text);
}

std::optional<AppItem> GridDropRules::installedApp(const QList<AppItem> &apps, const QString &path)
{
    for (const auto &app : apps) {
        if (app.id() == path) {
            return app;
        }
    }
    return std::nullopt;
}

qsizetype GridDropRules::positionInFolder(const AppFolder &folder, const QString &path)
{
    for (qsizetype i = 0; i < folder.appURLs.size(); ++i) {
        const auto stored = bundlePathOfText(folder.appURLs[i]);
        if (stored && *stored == path) {
            return i;
        }
    }
    return -1;
}

std::optional<GridDropRules::Move> GridDropRules::moveOnto(
    const AppFolder &folder, const QString &sourcePath, const QString &targetPath)
{
    const qsizetype from = positionInFolder(folder, sourcePath);
    const qsizetype to = positionInFolder(folder, targetPath);
    if (from < 0 || to < 0) {
        return std::nullopt;
    }
    // The destination counts places before the source leaves, so the source
    // takes the target's place in both directions.
    return Move { int(from), int(from < to ? to + 1 : to) };
}

std::optional<AppItem> GridDropRules::appForFolderDrop(
    const QList<AppItem> &apps, const QString &text, const QList<QUrl> &urls)
{
    std::optional<QString> path = bundlePathOfText(text);
    if (!path && !urls.isEmpty()) {
        path = bundlePath(urls.first());
    }
    if (!path) {
        return std::nullopt;
    }
    return installedApp(apps, *path);
}

} // namespace brimlark
