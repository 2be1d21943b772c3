#pragma once

#include "state/CatalogClient.h"

#include "model/AppItem.h"
#include "platform/core/Scheduler.h"
#include "state/BrimlarkViewModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <optional>

namespace brimlark {

// The drop rules of a tile grid: a tile of the selected folder takes the
// dropped application's place, a drag that rests on a tile for a moment
// moves the dragged application there, and the empty-folder state adds a
// dropped application to its folder. Main thread only.
class GridDropController : public CatalogClient
{
    Q_OBJECT
    QML_ELEMENT
    // Whether the tiles belong to a folder (fixed when the grid is built).
    Q_PROPERTY(bool folderFlag READ folderFlag WRITE setFolderFlag NOTIFY folderFlagChanged)
    // The folder the tiles belong to when it is not the selected one (the
    // panel's), or none for the selection's.
    Q_PROPERTY(brimlark::AppFolder folder READ folderValue WRITE setFolderValue NOTIFY folderChanged)
    // The bundle path of the tile under a dragged application; empty for none.
    Q_PROPERTY(QString draggedAppTarget READ draggedAppTarget NOTIFY draggedAppTargetChanged)

public:
    static constexpr std::chrono::milliseconds hoverDelay { 150 };

    explicit GridDropController(QObject *parent = nullptr);
    ~GridDropController() override;

    bool folderFlag() const { return m_folderFlag; }
    void setFolderFlag(bool flag);
    QString draggedAppTarget() const { return m_draggedAppTarget; }
    AppFolder folderValue() const { return m_folder.value_or(AppFolder()); }
    void setFolderValue(const AppFolder &folder);

    // A drop of URLs on the tile of the application at `targetPath`; true
    // when it reordered the folder.
    Q_INVOKABLE bool dropOnTile(const QList<QUrl> &urls, const QString &targetPath);
    // A drag entered (true) or left (false) the tile; `dragUrls` are the
    // URLs the drag carries.
    Q_INVOKABLE void tileTargeted(bool targeted, const QString &targetPath, const QList<QUrl> &dragUrls);
    // A drop on the empty-folder state of `folder`: true when it names an
    // installed application, which then joins the folder.
    Q_INVOKABLE bool dropOnEmptyFolder(
        const brimlark::AppFolder &folder, const QString &text, const QList<QUrl> &urls);

    bool hasPendingHoverMove() const { return m_hoverTask.has_value(); }

signals:
    void folderFlagChanged();
    void folderChanged();
    void draggedAppTargetChanged();

protected:
    void viewModelBound() override;

private:
    std::optional<AppItem> tileApp(const QString &path) const;
    std::optional<AppFolder> tilesFolder() const;
    void cancelHoverTask();
    void endDragOver();
    void setDraggedAppTarget(const QString &path);

    bool m_folderFlag = false;
    std::optional<AppFolder> m_folder;
    QString m_draggedAppTarget;
    // With the view model whose scheduler runs it.
    std::optional<std::pair<QPointer<BrimlarkViewModel>, Scheduler::TaskId>> m_hoverTask;
};

} // namespace brimlark
