#pragma once

#include "grid/AppTileModel.h"
#include "grid/GridColumns.h"
#include "grid/GridPane.h"
#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "state/BrimlarkViewModel.h"
#include "state/ViewModelClient.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The grid pane's state over the view model: which full-pane state and
// which content layout is on screen, the background, the title, the content's
// identity key, the fitted columns, the tiles, the panel opened over the
// grid, and the two sheets. Main thread only.
class AppGridController : public ViewModelClient
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(brimlark::HiddenItemsLock *hiddenItemsLock READ hiddenItemsLock WRITE setHiddenItemsLock NOTIFY
            hiddenItemsLockChanged)
    Q_PROPERTY(
        bool lightAppearance READ lightAppearance WRITE setLightAppearance NOTIFY lightAppearanceChanged)

    // Typed for QML: GridPane.State.content, GridPane.Layout.appTiles.
    Q_PROPERTY(brimlark::GridPane::State paneState READ paneState NOTIFY paneChanged)
    Q_PROPERTY(brimlark::GridPane::Layout contentLayout READ contentLayout NOTIFY paneChanged)
    Q_PROPERTY(bool translucentBackground READ translucentBackground NOTIFY paneChanged)
    Q_PROPERTY(QString navigationTitle READ navigationTitle NOTIFY paneChanged)
    Q_PROPERTY(QString identityKey READ identityKey NOTIFY paneChanged)
    // The tiles of the app tile grid are a folder's (the grid's folder flag).
    Q_PROPERTY(bool folderSelected READ folderSelected NOTIFY paneChanged)
    // The selected folder, or none.
    Q_PROPERTY(brimlark::AppFolder selectedFolder READ selectedFolder NOTIFY paneChanged)

    Q_PROPERTY(brimlark::GridColumnLayout appColumns READ appColumns NOTIFY columnsChanged)
    Q_PROPERTY(brimlark::GridColumnLayout categoryColumns READ categoryColumns NOTIFY columnsChanged)
    Q_PROPERTY(brimlark::AppTileModel *apps READ apps CONSTANT)

    // The opened folder's id (UUID text, empty for none) and the opened
    // category (a text, or null for none).
    Q_PROPERTY(
        QString expandedFolderID READ expandedFolderID WRITE setExpandedFolderID NOTIFY expansionChanged)
    Q_PROPERTY(QVariant expandedCategoryName READ expandedCategoryName WRITE setExpandedCategoryName NOTIFY
            expansionChanged)
    // The panel over the grid: "none", "folder" or "category", its title,
    // applications and folder (none for a category).
    Q_PROPERTY(OverlayKind overlayKind READ overlayKind NOTIFY overlayChanged)
    Q_PROPERTY(QString overlayTitle READ overlayTitle NOTIFY overlayChanged)
    Q_PROPERTY(QList<brimlark::AppItem> overlayApps READ overlayApps NOTIFY overlayChanged)
    Q_PROPERTY(brimlark::AppFolder overlayFolder READ overlayFolder NOTIFY overlayChanged)

    // The sheets: the app picker while the view model asks for it (with a
    // folder to fill, else none), the uninstaller while an application is
    // chosen for removal (else none: an empty id).
    Q_PROPERTY(bool appPickerShown READ appPickerShown NOTIFY sheetsChanged)
    Q_PROPERTY(brimlark::AppFolder appPickerFolder READ appPickerFolder NOTIFY sheetsChanged)
    Q_PROPERTY(brimlark::AppItem appToUninstall READ appToUninstall NOTIFY sheetsChanged)

public:
    // What stands over the grid: an opened folder or category, or nothing.
    enum class OverlayKind { none, folder, category };
    Q_ENUM(OverlayKind)

    explicit AppGridController(QObject *parent = nullptr);

    HiddenItemsLock *hiddenItemsLock() const { return m_lock; }
    void setHiddenItemsLock(HiddenItemsLock *lock);
    bool lightAppearance() const { return m_lightAppearance; }
    void setLightAppearance(bool light);

    GridPane::Inputs inputs() const;
    GridPane::State paneState() const { return m_state; }
    GridPane::Layout contentLayout() const { return m_layout; }
    bool translucentBackground() const { return m_translucent; }
    QString navigationTitle() const { return m_title; }
    QString identityKey() const { return m_identityKey; }
    bool folderSelected() const;
    AppFolder selectedFolder() const;

    // Fits both column lists to the pane's width; called when the content
    // appears and whenever the width changes.
    Q_INVOKABLE void updateColumns(double paneWidth);
    const GridColumns &columns() const { return m_columns; }
    GridColumnLayout appColumns() const { return m_columns.apps; }
    GridColumnLayout categoryColumns() const { return m_columns.categories; }

    AppTileModel *apps() { return &m_apps; }

    QString expandedFolderID() const;
    void setExpandedFolderID(const QString &id);
    QVariant expandedCategoryName() const;
    void setExpandedCategoryName(const QVariant &name);
    void setExpandedFolder(const std::optional<QUuid> &id);
    void setExpandedCategory(const std::optional<QString> &name);

    struct Overlay
    {
        using Kind = OverlayKind;
        Kind kind = Kind::none;
        QString title;
        QList<AppItem> apps;
        std::optional<AppFolder> folder;
    };
    // The opened folder when the catalog still has it, else the opened
    // category when the grouping has it, else nothing.
    Overlay overlay() const;
    OverlayKind overlayKind() const { return overlay().kind; }
    QString overlayTitle() const;
    QList<AppItem> overlayApps() const { return overlay().apps; }
    AppFolder overlayFolder() const { return overlay().folder.value_or(AppFolder()); }
    // The panel's dismiss actions; each may run more than once.
    Q_INVOKABLE void dismissFolderPanel();
    Q_INVOKABLE void dismissCategoryPanel();

    bool appPickerShown() const;
    AppFolder appPickerFolder() const;
    AppItem appToUninstall() const;
    // The empty-folder state's "Add Apps": the picker for that folder.
    Q_INVOKABLE void openAppPicker(const brimlark::AppFolder &folder);
    Q_INVOKABLE void dismissAppPicker();
    Q_INVOKABLE void dismissUninstaller();

signals:
    void hiddenItemsLockChanged();
    void lightAppearanceChanged();
    void paneChanged();
    void columnsChanged();
    void expansionChanged();
    void overlayChanged();
    void sheetsChanged();
    // The tiles are about to become a list of `count` rows: a view scrolled
    // past where that list ends moves there first, on the rows it has.
    void appsAboutToChange(int count);

protected:
    void viewModelBound() override;

private:
    void refresh();
    void syncTiles();

    QPointer<HiddenItemsLock> m_lock;
    bool m_lightAppearance = true;

    GridPane::State m_state = GridPane::State::content;
    GridPane::Layout m_layout = GridPane::Layout::appTiles;
    bool m_translucent = false;
    QString m_title = QStringLiteral("Apps");
    QString m_identityKey;
    bool m_folderSelected = false;

    GridColumns m_columns;
    AppTileModel m_apps;
    // The search the tiles were last brought to.
    QString m_tilesQuery;

    std::optional<QUuid> m_expandedFolderID;
    std::optional<QString> m_expandedCategoryName;
};

} // namespace brimlark
