#include "grid/GridDropRules.h"

#include "platform/core/BundleUrl.h"

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
    return folder.positionOf(path);
}

std::optional<GridDropRules::Move> GridDropRules::moveOnto(
    const AppFolder &folder, const QString &sourcePath, const QString &targetPath)
{
    const auto move = folder.moveOnto(sourcePath, targetPath);
    if (!move) {
        return std::nullopt;
    }
    return Move { move->from, move->destination };
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
