#pragma once

#include "model/StickyNote.h"

#include <QList>
#include <QObject>
#include <QStringList>

namespace brimlark {

class Defaults;
class NotificationCenter;
class WorkspaceManager;

// The active workspace's desk-tool data. Every assignment stores its list at
// once under the active workspace's key; a workspace switch reloads all four.
class WorkspaceStorage : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList recentColors READ recentColors WRITE setRecentColors NOTIFY recentColorsChanged)
    Q_PROPERTY(QStringList recentMeasurements READ recentMeasurements WRITE setRecentMeasurements NOTIFY
            recentMeasurementsChanged)

public:
    WorkspaceStorage(Defaults &defaults, WorkspaceManager &workspaces, NotificationCenter &center,
        QObject *parent = nullptr);
    // The process-wide instance: the one the program built and installed at
    // start; asking before that is a programming error.
    static WorkspaceStorage &shared();
    // The caller keeps it alive while installed; before anything asks.
    static void installShared(WorkspaceStorage &storage);

    const QList<StickyNote> &stickyNotes() const { return m_stickyNotes; }
    void setStickyNotes(QList<StickyNote> notes);
    const QList<CodeSnippet> &codeSnippets() const { return m_codeSnippets; }
    void setCodeSnippets(QList<CodeSnippet> snippets);
    const QStringList &recentColors() const { return m_recentColors; }
    void setRecentColors(QStringList colors);
    const QStringList &recentMeasurements() const { return m_recentMeasurements; }
    void setRecentMeasurements(QStringList measurements);

    void reloadWorkspaceData();

    static QList<StickyNote> starterNotes();
    static QList<CodeSnippet> starterSnippets();

signals:
    void stickyNotesChanged();
    void codeSnippetsChanged();
    void recentColorsChanged();
    void recentMeasurementsChanged();

private:
    QString key(const char *base) const;
    void loadNotes();
    void saveNotes();
    void loadSnippets();
    void saveSnippets();
    // The texts of a stored list of strings; a value of another type, or one
    // element that is not text, is kept aside before the list is rewritten.
    QStringList readStringList(const QString &key);
    void loadRecentColors();
    void loadRecentMeasurements();

    Defaults &m_defaults;
    WorkspaceManager &m_workspaces;
    QList<StickyNote> m_stickyNotes;
    QList<CodeSnippet> m_codeSnippets;
    QStringList m_recentColors;
    QStringList m_recentMeasurements;
};

} // namespace brimlark
