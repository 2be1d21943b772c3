#include "model/WorkspaceStorage.h"

#include "model/StoredJson.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/base/ProcessWide.h"
#include "platform/core/NotificationCenter.h"

#include <QSet>

namespace brimlark {

namespace {
std::vector<std::string> toStdStrings(const QStringList &strings)
{
    std::vector<std::string> out;
    out.reserve(strings.size());
    for (const auto &s : strings) {
        out.push_back(s.toStdString());
    }
    return out;
}

template <typename T> nlohmann::ordered_json encodeList(const QList<T> &items)
{
    auto json = nlohmann::ordered_json::array();
    for (const auto &item : items) {
        json.push_back(item.toJson());
    }
    return json;
}
} // namespace

namespace {
ProcessWide<WorkspaceStorage> s_installed("WorkspaceStorage::shared()");
}

void WorkspaceStorage::installShared(WorkspaceStorage &storage)
{
    s_installed.installUnowned(&storage);
}

WorkspaceStorage &WorkspaceStorage::shared()
{
    return *s_installed.get();
}

WorkspaceStorage::WorkspaceStorage(
    Defaults &defaults, WorkspaceManager &workspaces, NotificationCenter &center, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_workspaces(workspaces)
{
    reloadWorkspaceData();
    center.addObserver(
        Notifications::WorkspaceChanged, this, [this](const QVariant &) { reloadWorkspaceData(); });
}

QList<StickyNote> WorkspaceStorage::starterNotes()
{
    return {
        { QUuid::createUuid(), QStringLiteral("Welcome to Sticky Notes! Click '+' above to add a new note."),
            QStringLiteral("#FFD60A") },
        { QUuid::createUuid(),
            QStringLiteral("Tasks for today:\n- Organize app grid\n- Pick a nice sidebar folder color"),
            QStringLiteral("#30D158") },
    };
}

QList<CodeSnippet> WorkspaceStorage::starterSnippets()
{
    return {
        { QUuid::createUuid(), QStringLiteral("Swift Print"), QStringLiteral("print(\"Hello, World!\")"),
            QStringLiteral("Swift") },
        { QUuid::createUuid(), QStringLiteral("HTML Quick Start"),
            QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n  "
                           "<title>Brimlark</title>\n</head>\n<body>\n</body>\n</html>"),
            QStringLiteral("HTML") },
    };
}

QString WorkspaceStorage::key(const char *base) const
{
    return m_workspaces.perWorkspaceKey(QString::fromLatin1(base));
}

void WorkspaceStorage::reloadWorkspaceData()
{
    loadNotes();
    loadSnippets();
    loadRecentColors();
    loadRecentMeasurements();
}

void WorkspaceStorage::setStickyNotes(QList<StickyNote> notes)
{
    m_stickyNotes = std::move(notes);
    saveNotes();
    emit stickyNotesChanged();
}

void WorkspaceStorage::setCodeSnippets(QList<CodeSnippet> snippets)
{
    m_codeSnippets = std::move(snippets);
    saveSnippets();
    emit codeSnippetsChanged();
}

void WorkspaceStorage::setRecentColors(QStringList colors)
{
    m_recentColors = std::move(colors);
    m_defaults.setStrings(key("brimlark_recent_colors").toStdString(), toStdStrings(m_recentColors));
    emit recentColorsChanged();
}

void WorkspaceStorage::setRecentMeasurements(QStringList measurements)
{
    m_recentMeasurements = std::move(measurements);
    m_defaults.setStrings(
        key("brimlark_recent_measurements").toStdString(), toStdStrings(m_recentMeasurements));
    emit recentMeasurementsChanged();
}

void WorkspaceStorage::loadNotes()
{
    auto stored
        = StoredJson::readList<StickyNote>(m_defaults, key("brimlark_sticky_notes"), &StickyNote::fromJson);
    setStickyNotes(stored ? QList<StickyNote>(stored->begin(), stored->end()) : starterNotes());
}

void WorkspaceStorage::saveNotes()
{
    StoredJson::write(m_defaults, key("brimlark_sticky_notes"), encodeList(m_stickyNotes));
}

void WorkspaceStorage::loadSnippets()
{
    auto stored = StoredJson::readList<CodeSnippet>(
        m_defaults, key("brimlark_code_snippets"), &CodeSnippet::fromJson);
    QList<CodeSnippet> snippets
        = stored ? QList<CodeSnippet>(stored->begin(), stored->end()) : starterSnippets();
    // A hand-edited or merged list can hold one id twice, and copy and delete
    // act on an id: a later twin gets a new one, so every row is its own.
    QSet<QUuid> seen;
    for (CodeSnippet &snippet : snippets) {
        if (seen.contains(snippet.id)) {
            snippet.id = QUuid::createUuid();
        }
        seen.insert(snippet.id);
    }
    setCodeSnippets(std::move(snippets));
}

void WorkspaceStorage::saveSnippets()
{
    StoredJson::write(m_defaults, key("brimlark_code_snippets"), encodeList(m_codeSnippets));
}

QStringList WorkspaceStorage::readStringList(const QString &key)
{
    const auto stored = m_defaults.object(key.toStdString());
    if (!stored) {
        return {};
    }
    QStringList out;
    bool whole = false;
    if (const auto *array = stored->asArray()) {
        whole = true;
        for (const auto &element : *array) {
            if (const auto *text = element.asString()) {
                out << QString::fromStdString(*text);
            } else {
                whole = false;
            }
        }
    }
    // The load writes the list straight back: whatever did not read as text
    // is kept aside first, so one odd element costs neither the others nor
    // the original.
    if (!whole) {
        StoredJson::keepUnreadable(m_defaults, key);
    }
    return out;
}

void WorkspaceStorage::loadRecentColors()
{
    setRecentColors(readStringList(key("brimlark_recent_colors")));
}

void WorkspaceStorage::loadRecentMeasurements()
{
    setRecentMeasurements(readStringList(key("brimlark_recent_measurements")));
}

} // namespace brimlark
