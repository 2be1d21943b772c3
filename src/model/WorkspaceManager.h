#pragma once

#include "model/Workspace.h"

#include <QList>
#include <QObject>
#include <QUuid>

namespace brimlark {

class Defaults;
class NotificationCenter;

// The list of workspaces and the active one. Every assignment of the active
// id (also of the same value) stores it and posts "brimLarkWorkspaceChanged".
class WorkspaceManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<brimlark::Workspace> workspaces READ workspaces NOTIFY workspacesChanged)
    Q_PROPERTY(QString activeWorkspaceID READ activeWorkspaceIDText WRITE setActiveWorkspaceIDText NOTIFY
            activeWorkspaceIDChanged)

public:
    static const QUuid defaultWorkspaceID;

    WorkspaceManager(Defaults &defaults, NotificationCenter &center, QObject *parent = nullptr);
    // The process-wide instance: the one the program built and installed at
    // start; asking before that is a programming error.
    static WorkspaceManager &shared();
    // The caller keeps it alive while installed; before anything asks.
    static void installShared(WorkspaceManager &manager);

    const QList<Workspace> &workspaces() const { return m_workspaces; }
    QUuid activeWorkspaceID() const { return m_activeWorkspaceID; }
    void setActiveWorkspaceID(const QUuid &id);
    QString activeWorkspaceIDText() const;
    void setActiveWorkspaceIDText(const QString &text);

    // base + "_" + the active id's canonical text, read afresh at every call.
    QString perWorkspaceKey(const QString &base) const;
    static QString perWorkspaceKey(const QString &base, const QUuid &id);

    Q_INVOKABLE void createWorkspace(const QString &name, const QString &icon, const QString &color);
    void updateWorkspace(
        const Workspace &workspace, const QString &name, const QString &icon, const QString &color);
    void deleteWorkspace(const Workspace &workspace);

    static Workspace defaultWorkspace();

signals:
    void workspacesChanged();
    void activeWorkspaceIDChanged();

private:
    void setWorkspaces(QList<Workspace> workspaces);
    void saveWorkspaces();
    void migrateLegacyData(const QUuid &id);

    Defaults &m_defaults;
    NotificationCenter &m_center;
    QList<Workspace> m_workspaces;
    QUuid m_activeWorkspaceID;
};

} // namespace brimlark
