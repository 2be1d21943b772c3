#include "tools/CodeSnippetsController.h"

#include "model/WorkspaceStorage.h"
#include "platform/core/Scheduler.h"
#include "platform/core/UuidText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>

namespace brimlark {

CodeSnippetsController::CodeSnippetsController(
    WorkspaceStorage &storage, Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , m_storage(storage)
    , m_scheduler(scheduler)
{
    connect(&m_storage, &WorkspaceStorage::codeSnippetsChanged, this, &CodeSnippetsController::refilter);
    refilter();
}

void CodeSnippetsController::refilter()
{
    m_filtered.setSnippets(filteredSnippets());
}

template <typename T> void CodeSnippetsController::assign(T &field, const T &value)
{
    if (field != value) {
        field = value;
        emit changed();
    }
}

void CodeSnippetsController::setSnippetSearch(const QString &text)
{
    if (text != m_snippetSearch) {
        assign(m_snippetSearch, text);
        refilter();
    }
}

void CodeSnippetsController::setShowCreateForm(bool show)
{
    assign(m_showCreateForm, show);
}

void CodeSnippetsController::setNewTitle(const QString &text)
{
    assign(m_newTitle, text);
}

void CodeSnippetsController::setNewCode(const QString &text)
{
    assign(m_newCode, text);
}

void CodeSnippetsController::setNewLanguage(const QString &text)
{
    assign(m_newLanguage, text);
}

QString CodeSnippetsController::expandedSnippetID() const
{
    return m_expandedSnippetID.isNull() ? QString() : UuidText::format(m_expandedSnippetID);
}

QList<CodeSnippet> CodeSnippetsController::filteredSnippets() const
{
    if (m_snippetSearch.isEmpty()) {
        return m_storage.codeSnippets();
    }
    QList<CodeSnippet> out;
    for (const auto &snippet : m_storage.codeSnippets()) {
        if (snippet.title.contains(m_snippetSearch, Qt::CaseInsensitive)) {
            out << snippet;
        }
    }
    return out;
}

void CodeSnippetsController::save()
{
    if (!canSave()) {
        return;
    }
    auto snippets = m_storage.codeSnippets();
    snippets.append(CodeSnippet { QUuid::createUuid(), m_newTitle, m_newCode, m_newLanguage });
    m_storage.setCodeSnippets(std::move(snippets));
    m_newTitle.clear();
    m_newCode.clear();
    m_newLanguage = QStringLiteral("Swift");
    m_showCreateForm = false;
    emit changed();
}

void CodeSnippetsController::copy(const QString &id)
{
    const QUuid uuid = UuidText::parse(id).value_or(QUuid());
    for (const auto &snippet : m_storage.codeSnippets()) {
        if (snippet.id != uuid) {
            continue;
        }
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(snippet.code);
        setCopyMessage(QStringLiteral("Snippet Copied!"));
        m_scheduler.schedule(std::chrono::milliseconds(1500), [guard = QPointer(this)] {
            if (guard) {
                guard->setCopyMessage(QString());
            }
        });
        return;
    }
}

void CodeSnippetsController::remove(const QString &id)
{
    const QUuid uuid = UuidText::parse(id).value_or(QUuid());
    auto snippets = m_storage.codeSnippets();
    for (qsizetype i = 0; i < snippets.size(); ++i) {
        if (snippets[i].id == uuid) {
            snippets.removeAt(i);
            m_storage.setCodeSnippets(std::move(snippets));
            return;
        }
    }
}

void CodeSnippetsController::toggleExpanded(const QString &id)
{
    const QUuid uuid = UuidText::parse(id).value_or(QUuid());
    assign(m_expandedSnippetID, m_expandedSnippetID == uuid ? QUuid() : uuid);
}

void CodeSnippetsController::setCopyMessage(const QString &message)
{
    if (message != m_copyMessage) {
        m_copyMessage = message;
        emit copyMessageChanged();
    }
}

} // namespace brimlark
