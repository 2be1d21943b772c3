#pragma once

#include "grid/CategoryCardMenu.h"
#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "platform/core/Scheduler.h"
#include "state/BrimlarkViewModel.h"
#include "state/CatalogClient.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// What a folder or category card does: a click expands it (on a folder's
// title only once the double-click interval has passed, since a double click
// there renames the folder in place), a dropped application joins the
// folder, and the context menu's entries come from the state of the moment
// it opens. Main thread only.
class CategoryCardController : public CatalogClient
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString categoryName READ categoryName WRITE setCategoryName NOTIFY cardChanged)
    // The card's folder, or none for a category card.
    Q_PROPERTY(brimlark::AppFolder folder READ folderValue WRITE setFolderValue NOTIFY cardChanged)
    // In display order.
    Q_PROPERTY(QList<brimlark::AppItem> apps READ apps WRITE setApps NOTIFY cardChanged)
    Q_PROPERTY(bool isFolder READ isFolder NOTIFY cardChanged)
    Q_PROPERTY(QString title READ title NOTIFY cardChanged)
    Q_PROPERTY(QString helpText READ helpText NOTIFY cardChanged)
    Q_PROPERTY(bool isEditingName READ isEditingName NOTIFY isEditingNameChanged)
    Q_PROPERTY(QString editedName READ editedName WRITE setEditedName NOTIFY editedNameChanged)
    // The platform's double-click interval in milliseconds.
    Q_PROPERTY(int doubleClickInterval READ doubleClickInterval WRITE setDoubleClickInterval NOTIFY
            doubleClickIntervalChanged)

public:
    explicit CategoryCardController(QObject *parent = nullptr);
    ~CategoryCardController() override;

    QString categoryName() const { return m_categoryName; }
    void setCategoryName(const QString &name);
    const std::optional<AppFolder> &folder() const { return m_folder; }
    void setFolder(const std::optional<AppFolder> &folder);
    AppFolder folderValue() const { return m_folder.value_or(AppFolder()); }
    void setFolderValue(const AppFolder &folder);
    const QList<AppItem> &apps() const { return m_apps; }
    void setApps(const QList<AppItem> &apps);

    bool isFolder() const { return m_folder.has_value(); }
    // The card's folder as the catalog holds it now (its copy when the
    // catalog no longer has it); none for a category card.
    std::optional<AppFolder> currentFolder() const;
    QString title() const;
    QString helpText() const;
    bool isEditingName() const { return m_isEditingName; }
    QString editedName() const { return m_editedName; }
    void setEditedName(const QString &name);
    int doubleClickInterval() const { return m_doubleClickInterval; }
    void setDoubleClickInterval(int msecs);

    // The icon of an application of the card.
    Q_INVOKABLE static QUrl iconSource(const brimlark::AppItem &app);

    // A click on the card outside its title expands it at once.
    Q_INVOKABLE void cardClicked();
    // A click on the title; `tapCount` 2 is the second click of a double click.
    Q_INVOKABLE void titleClicked(int tapCount);
    bool hasPendingExpand() const { return m_pendingExpand.has_value(); }

    // Renaming in place: the start fills the field with the folder's name;
    // the commit applies a non-empty name as typed and ends editing.
    Q_INVOKABLE void renameStart();
    Q_INVOKABLE void renameCommit();

    // The empty folder card's "Add Apps": the app picker for the folder.
    Q_INVOKABLE void addApps();

    // A drop of an application's URL (or URL text): true when the card is a
    // folder's and the first names an installed application, which joins the
    // folder on the next turn of the event loop.
    Q_INVOKABLE bool dropUrls(const QList<QUrl> &urls, const QString &text = QString());

    Q_INVOKABLE QList<brimlark::MenuEntry> menu() const;
    // Runs a menu entry: its action and, for "Add All to Existing Folder",
    // the chosen folder's UUID text.
    Q_INVOKABLE void perform(brimlark::CategoryCardMenu::Action action, const QString &folderID);
    void perform(CategoryCardMenu::Action action, const QUuid &folderID = {});

    // A new folder named after the category holding the card's applications
    // in the card's order; its id (null without a view model).
    QUuid createFolderFromCategory();
    void addAllToFolder(const QUuid &folderID);

signals:
    void cardChanged();
    void isEditingNameChanged();
    void editedNameChanged();
    void doubleClickIntervalChanged();
    // The grid opens the card's panel.
    void expandRequested();

protected:
    void viewModelBound() override;

private:
    void cancelPendingExpand();
    void setEditing(bool editing);

    QString m_categoryName;
    std::optional<AppFolder> m_folder;
    QList<AppItem> m_apps;
    bool m_isEditingName = false;
    QString m_editedName;
    int m_doubleClickInterval = 400;
    // With the view model whose scheduler runs it.
    std::optional<std::pair<QPointer<BrimlarkViewModel>, Scheduler::TaskId>> m_pendingExpand;
};

} // namespace brimlark
