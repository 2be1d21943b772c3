#pragma once

#include "model/StickyNote.h"
#include "tools/CodeSnippetListModel.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

class Scheduler;
class WorkspaceStorage;

// The code snippets popover's rules over the active workspace's snippets:
// title search, the create form, copy, delete and the one expanded row.
class CodeSnippetsController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the program over its workspace storage")
    Q_PROPERTY(QString snippetSearch READ snippetSearch WRITE setSnippetSearch NOTIFY changed)
    Q_PROPERTY(bool showCreateForm READ showCreateForm WRITE setShowCreateForm NOTIFY changed)
    Q_PROPERTY(QString newTitle READ newTitle WRITE setNewTitle NOTIFY changed)
    Q_PROPERTY(QString newCode READ newCode WRITE setNewCode NOTIFY changed)
    Q_PROPERTY(QString newLanguage READ newLanguage WRITE setNewLanguage NOTIFY changed)
    Q_PROPERTY(bool canSave READ canSave NOTIFY changed)
    Q_PROPERTY(QString expandedSnippetID READ expandedSnippetID NOTIFY changed)
    Q_PROPERTY(brimlark::CodeSnippetListModel *filteredSnippets READ filteredSnippetModel CONSTANT)
    Q_PROPERTY(QString copyMessage READ copyMessage NOTIFY copyMessageChanged)

public:
    CodeSnippetsController(WorkspaceStorage &storage, Scheduler &scheduler, QObject *parent = nullptr);

    QString snippetSearch() const { return m_snippetSearch; }
    void setSnippetSearch(const QString &text);
    bool showCreateForm() const { return m_showCreateForm; }
    void setShowCreateForm(bool show);
    QString newTitle() const { return m_newTitle; }
    void setNewTitle(const QString &text);
    QString newCode() const { return m_newCode; }
    void setNewCode(const QString &text);
    QString newLanguage() const { return m_newLanguage; }
    void setNewLanguage(const QString &text);
    bool canSave() const { return !m_newTitle.isEmpty() && !m_newCode.isEmpty(); }
    // Upper-case UUID text of the one expanded snippet; empty for none.
    QString expandedSnippetID() const;
    QString copyMessage() const { return m_copyMessage; }

    // The stored snippets whose title holds the search text, ignoring case;
    // all of them for an empty search.
    QList<CodeSnippet> filteredSnippets() const;
    // The same list as rows for the view, updated row by row.
    CodeSnippetListModel *filteredSnippetModel() { return &m_filtered; }

    Q_INVOKABLE void toggleCreateForm() { setShowCreateForm(!m_showCreateForm); }
    Q_INVOKABLE void save();
    Q_INVOKABLE void copy(const QString &id);
    Q_INVOKABLE void remove(const QString &id);
    Q_INVOKABLE void toggleExpanded(const QString &id);

signals:
    void changed();
    void copyMessageChanged();

private:
    template <typename T> void assign(T &field, const T &value);
    void setCopyMessage(const QString &message);
    void refilter();

    WorkspaceStorage &m_storage;
    Scheduler &m_scheduler;
    QString m_snippetSearch;
    bool m_showCreateForm = false;
    QString m_newTitle;
    QString m_newCode;
    QString m_newLanguage = QStringLiteral("Swift");
    QUuid m_expandedSnippetID;
    QString m_copyMessage;
    CodeSnippetListModel m_filtered;
};

} // namespace brimlark
