#pragma once

#include "model/AppFinder.h"
#include "model/AppFolder.h"
#include "model/Workspace.h"
#include "model/WorkspaceManager.h"
#include "state/CatalogClient.h"
#include "state/SidebarSelection.h"
#include "views/MenuEntry.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brimlark {

// The sidebar's state and rules: the five library rows, the selection
// highlight, the folder rows' menu, drops and reorders, the delete
// confirmation, the folder sheets and the two folder pickers' presence.
// It also keeps the fields the workspace switcher and its sheets use.
// QML lays these out; every decision is made here. The view model holds the
// selection; the folders are the catalog's.
class SidebarController : public CatalogClient
{
    Q_OBJECT
    QML_ELEMENT
    // "library:<kind>" or "folder:<uuid>" of the row shown selected; empty for none.
    Q_PROPERTY(QString selectedKey READ selectedKey NOTIFY selectedKeyChanged)

    // Folder sheets.
    Q_PROPERTY(bool showingAddFolder MEMBER m_showingAddFolder NOTIFY showingAddFolderChanged)
    Q_PROPERTY(QString newFolderName MEMBER m_newFolderName NOTIFY newFolderNameChanged)
    Q_PROPERTY(bool showingRenameFolder MEMBER m_showingRenameFolder NOTIFY showingRenameFolderChanged)
    // The folders the sheets, the confirmation and the pickers are for: a
    // folder with a null id while there is none (the showing flags tell).
    Q_PROPERTY(brimlark::AppFolder folderToRename READ folderToRename NOTIFY folderToRenameChanged)
    Q_PROPERTY(QString renameFolderName MEMBER m_renameFolderName NOTIFY renameFolderNameChanged)
    Q_PROPERTY(bool showingDeleteConfirmation MEMBER m_showingDeleteConfirmation NOTIFY
            showingDeleteConfirmationChanged)
    Q_PROPERTY(brimlark::AppFolder folderToDelete READ folderToDelete NOTIFY folderToDeleteChanged)
    Q_PROPERTY(QString deleteMessage READ deleteMessage NOTIFY folderToDeleteChanged)
    Q_PROPERTY(QString selectedFolderIcon MEMBER m_selectedFolderIcon NOTIFY selectedFolderIconChanged)
    Q_PROPERTY(QString selectedFolderColor MEMBER m_selectedFolderColor NOTIFY selectedFolderColorChanged)
    Q_PROPERTY(
        brimlark::AppFolder folderForIconPopover READ folderForIconPopover NOTIFY folderForIconPopoverChanged)
    Q_PROPERTY(bool showingIconPopover READ showingIconPopover NOTIFY folderForIconPopoverChanged)
    Q_PROPERTY(brimlark::AppFolder folderForColorPopover READ folderForColorPopover NOTIFY
            folderForColorPopoverChanged)
    Q_PROPERTY(bool showingColorPopover READ showingColorPopover NOTIFY folderForColorPopoverChanged)

    // Workspace switcher and sheets.
    Q_PROPERTY(bool showingAddWorkspace MEMBER m_showingAddWorkspace NOTIFY showingAddWorkspaceChanged)
    Q_PROPERTY(QString newWorkspaceName MEMBER m_newWorkspaceName NOTIFY newWorkspaceNameChanged)
    Q_PROPERTY(
        QString selectedWorkspaceIcon MEMBER m_selectedWorkspaceIcon NOTIFY selectedWorkspaceIconChanged)
    Q_PROPERTY(
        QString selectedWorkspaceColor MEMBER m_selectedWorkspaceColor NOTIFY selectedWorkspaceColorChanged)
    Q_PROPERTY(bool showingEditWorkspace MEMBER m_showingEditWorkspace NOTIFY showingEditWorkspaceChanged)
    // The workspace being edited; a null id while there is none.
    Q_PROPERTY(brimlark::Workspace workspaceToEdit READ workspaceToEdit NOTIFY workspaceToEditChanged)
    Q_PROPERTY(QString editWorkspaceName MEMBER m_editWorkspaceName NOTIFY editWorkspaceNameChanged)
    Q_PROPERTY(QString editWorkspaceIcon MEMBER m_editWorkspaceIcon NOTIFY editWorkspaceIconChanged)
    Q_PROPERTY(QString editWorkspaceColor MEMBER m_editWorkspaceColor NOTIFY editWorkspaceColorChanged)
    Q_PROPERTY(bool isWorkspaceHovered MEMBER m_isWorkspaceHovered NOTIFY isWorkspaceHoveredChanged)
    // The workspaces the switcher shows and switches (the process's one
    // WorkspaceManager, handed in by the window).
    Q_PROPERTY(brimlark::WorkspaceManager *workspaceManager READ workspaceManager WRITE setWorkspaceManager
            NOTIFY workspaceManagerChanged)
    // The switcher's label: the workspace shown as active.
    Q_PROPERTY(brimlark::Workspace activeWorkspace READ activeWorkspace NOTIFY workspacesChanged)
    // The "Workspaces" section in list order; isActive() tells the checked one.
    Q_PROPERTY(QList<brimlark::Workspace> workspaceRows READ workspaceRows NOTIFY workspacesChanged)
    // The "Manage" submenus, none with fewer than two workspaces; the active
    // one offers no "Delete".
    Q_PROPERTY(QList<brimlark::Workspace> manageEntries READ manageEntries NOTIFY workspacesChanged)

public:
    // What a folder row's menu entry does.
    enum class FolderAction { pin, rename, changeColor, changeIcon, deleteFolder };
    Q_ENUM(FolderAction)

    static inline const QString defaultFolderIcon = QStringLiteral("folder");
    static inline const QString defaultColor = QStringLiteral("#007AFF");
    static inline const QString defaultWorkspaceIcon = QStringLiteral("briefcase.fill");

    explicit SidebarController(QObject *parent = nullptr);

    QString selectedKey() const;

    // The "Library" rows in order: {key, kind, title, symbol}.
    Q_INVOKABLE static QVariantList libraryRows();
    Q_INVOKABLE void selectLibrary(int kind);
    Q_INVOKABLE void selectFolder(const brimlark::AppFolder &folder);

    // A folder row's menu in order; each action entry carries a FolderAction.
    Q_INVOKABLE static QList<brimlark::MenuEntry> menuEntries(const brimlark::AppFolder &folder);
    Q_INVOKABLE void triggerMenu(
        brimlark::SidebarController::FolderAction action, const brimlark::AppFolder &folder);

    // A root row dropped on another root row's place.
    Q_INVOKABLE void moveRoot(int fromRoot, int toRoot, int rootCount);

    // Dropped text or URLs on a folder row: the first URL (the text first)
    // that names an installed application is added to the folder once.
    // Always accepted, whatever it names.
    Q_INVOKABLE bool handleDrop(
        const QString &text, const QList<QUrl> &urls, const brimlark::AppFolder &folder);

    // The delete confirmation's "Delete".
    Q_INVOKABLE void confirmDelete();
    QString deleteMessage() const;

    // "New Folder", then the "Create Folder" sheet's buttons.
    Q_INVOKABLE void newFolder();
    Q_INVOKABLE bool createFolder();
    Q_INVOKABLE void cancelCreateFolder();
    // The "Edit Folder" sheet: when it comes on screen, and its buttons.
    Q_INVOKABLE void renameSheetAppeared();
    Q_INVOKABLE bool saveRenameFolder();
    Q_INVOKABLE void cancelRenameFolder();

    // The workspace switcher's menu and the workspace sheets.
    Q_INVOKABLE void chooseWorkspace(const QString &id);
    Q_INVOKABLE void beginCreateWorkspace();
    Q_INVOKABLE bool createWorkspace();
    Q_INVOKABLE void cancelCreateWorkspace();
    Q_INVOKABLE void beginEditWorkspace(const QString &id);
    Q_INVOKABLE bool saveEditWorkspace();
    Q_INVOKABLE void cancelEditWorkspace();
    Q_INVOKABLE void deleteWorkspace(const QString &id);

    // The workspace the switcher shows: the active one, else the first
    // listed, else a "Default" made for display only (never stored).
    static Workspace shownWorkspace(const QList<Workspace> &workspaces, const QUuid &activeID);

    WorkspaceManager *workspaceManager() const { return m_workspaceManager; }
    void setWorkspaceManager(WorkspaceManager *manager);
    Workspace activeWorkspace() const;
    QList<Workspace> workspaceRows() const;
    QList<Workspace> manageEntries() const;
    Q_INVOKABLE bool isActive(const brimlark::Workspace &workspace) const;
    Workspace workspaceToEdit() const { return m_workspaceToEdit.value_or(Workspace {}); }

    AppFolder folderToRename() const { return m_folderToRename.value_or(AppFolder {}); }
    AppFolder folderToDelete() const { return m_folderToDelete.value_or(AppFolder {}); }
    AppFolder folderForIconPopover() const { return m_folderForIconPopover.value_or(AppFolder {}); }
    bool showingIconPopover() const { return m_folderForIconPopover.has_value(); }
    AppFolder folderForColorPopover() const { return m_folderForColorPopover.value_or(AppFolder {}); }
    bool showingColorPopover() const { return m_folderForColorPopover.has_value(); }
    // The pickers' own close (Escape, a click outside).
    Q_INVOKABLE void closeIconPopover() { setFolderForIconPopover(std::nullopt); }
    Q_INVOKABLE void closeColorPopover() { setFolderForColorPopover(std::nullopt); }

signals:
    void selectedKeyChanged();
    void showingAddFolderChanged();
    void newFolderNameChanged();
    void showingRenameFolderChanged();
    void folderToRenameChanged();
    void renameFolderNameChanged();
    void showingDeleteConfirmationChanged();
    void folderToDeleteChanged();
    void selectedFolderIconChanged();
    void selectedFolderColorChanged();
    void folderForIconPopoverChanged();
    void folderForColorPopoverChanged();
    void showingAddWorkspaceChanged();
    void newWorkspaceNameChanged();
    void selectedWorkspaceIconChanged();
    void selectedWorkspaceColorChanged();
    void showingEditWorkspaceChanged();
    void workspaceToEditChanged();
    void editWorkspaceNameChanged();
    void editWorkspaceIconChanged();
    void editWorkspaceColorChanged();
    void isWorkspaceHoveredChanged();
    void workspaceManagerChanged();
    // The list or the active workspace changed.
    void workspacesChanged();

protected:
    void viewModelBound() override;
    void catalogBound() override;

private:
    template <typename T> void assign(T &field, const T &value, void (SidebarController::*changed)());
    // Pickers of folders the catalog no longer shows close; so do the
    // "Edit Folder" sheet and the delete confirmation of a folder that is
    // gone (a workspace switch), without writing.
    void closeVanishedPickers();
    std::optional<Workspace> listedWorkspace(const QString &id) const;
    void setFolderForIconPopover(const std::optional<AppFolder> &folder);
    void setFolderForColorPopover(const std::optional<AppFolder> &folder);
    void selectAllApps();

    QPointer<WorkspaceManager> m_workspaceManager;

    bool m_showingAddFolder = false;
    QString m_newFolderName;
    bool m_showingRenameFolder = false;
    std::optional<AppFolder> m_folderToRename;
    QString m_renameFolderName;
    bool m_showingDeleteConfirmation = false;
    std::optional<AppFolder> m_folderToDelete;
    QString m_selectedFolderIcon = defaultFolderIcon;
    QString m_selectedFolderColor = defaultColor;
    std::optional<AppFolder> m_folderForIconPopover;
    std::optional<AppFolder> m_folderForColorPopover;
    bool m_showingAddWorkspace = false;
    QString m_newWorkspaceName;
    QString m_selectedWorkspaceIcon = defaultWorkspaceIcon;
    QString m_selectedWorkspaceColor = defaultColor;
    bool m_showingEditWorkspace = false;
    std::optional<Workspace> m_workspaceToEdit;
    QString m_editWorkspaceName;
    QString m_editWorkspaceIcon = defaultWorkspaceIcon;
    QString m_editWorkspaceColor = defaultColor;
    bool m_isWorkspaceHovered = false;
};

} // namespace brimlark
