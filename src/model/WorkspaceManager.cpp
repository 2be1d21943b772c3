#include "model/WorkspaceManager.h"

#include "model/StoredJson.h"
#include "platform/base/Defaults.h"
#include "platform/base/ProcessWide.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/UuidText.h"

#include <algorithm>

namespace brimlark {

namespace {
const QString s_workspacesKey = QStringLiteral("brimlark_workspaces");
const QString s_activeKey = QStringLiteral("brimlark_active_workspace_id");

// Per-workspace bases removed with a workspace (recent colours and
// measurements stay) and copied from their bare legacy keys.
const QStringList s_dataBases { QStringLiteral("AppFolders"), QStringLiteral("recentApps"),
    QStringLiteral("favoriteApps"), QStringLiteral("unifiedGridOrder"),
    QStringLiteral("brimlark_sticky_notes"), QStringLiteral("brimlark_code_snippets") };
} // namespace

const QUuid WorkspaceManager::defaultWorkspaceID { QStringLiteral("D3B07384-D113-4E4E-A343-A33A0A26F3D3") };

Workspace WorkspaceManager::defaultWorkspace()
{
    return Workspace { defaultWorkspaceID, QStringLiteral("Default"), QStringLiteral("briefcase.fill"),
        QStringLiteral("#007AFF") };
}

namespace {
ProcessWide<WorkspaceManager> s_installed("WorkspaceManager::shared()");
}

WorkspaceManager &WorkspaceManager::shared()
{
    return *s_installed.get();
}

void WorkspaceManager::installShared(WorkspaceManager &manager)
{
    s_installed.installUnowned(&manager);
}

WorkspaceManager::WorkspaceManager(Defaults &defaults, NotificationCenter &center, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_center(center)
{
    auto stored = StoredJson::readList<Workspace>(m_defaults, s_workspacesKey, &Workspace::fromJson);
    const bool migrationDue = !stored.has_value();
    m_workspaces
        = stored ? QList<Workspace>(stored->begin(), stored->end()) : QList<Workspace> { defaultWorkspace() };

    std::optional<QUuid> active;
    if (auto text = m_defaults.string(s_activeKey.toStdString())) {
        auto id = UuidText::parse(QString::fromStdString(*text));
        if (id && std::any_of(m_workspaces.begin(), m_workspaces.end(), [&](const Workspace &w) {
                return w.id == *id;
            })) {
            active = *id;
        }
    }
    if (!active) {
        // An empty stored list keeps the default workspace's fixed id, so the
        // per-workspace data saved under it is found again at the next start.
        active = m_workspaces.isEmpty() ? defaultWorkspaceID : m_workspaces.first().id;
    }
    m_activeWorkspaceID = *active;

    if (migrationDue) {
        migrateLegacyData(defaultWorkspaceID);
    }
}

void WorkspaceManager::setActiveWorkspaceID(const QUuid &id)
{
    m_activeWorkspaceID = id;
    emit activeWorkspaceIDChanged();
    m_defaults.set(s_activeKey.toStdString(), UuidText::format(id).toStdString());
    m_center.post(Notifications::WorkspaceChanged, QVariant::fromValue(id));
}

QString WorkspaceManager::activeWorkspaceIDText() const
{
    return UuidText::format(m_activeWorkspaceID);
}

void WorkspaceManager::setActiveWorkspaceIDText(const QString &text)
{
    if (auto id = UuidText::parse(text)) {
        setActiveWorkspaceID(*id);
    }
}

QString WorkspaceManager::perWorkspaceKey(const QString &base) const
{
    return perWorkspaceKey(base, m_activeWorkspaceID);
}

QString WorkspaceManager::perWorkspaceKey(const QString &base, const QUuid &id)
{
    return base + u'_' + UuidText::format(id);
}

void WorkspaceManager::setWorkspaces(QList<Workspace> workspaces)
{
    m_workspaces = std::move(workspaces);
    saveWorkspaces();
    emit workspacesChanged();
}

void WorkspaceManager::createWorkspace(const QString &name, const QString &icon, const QString &color)
{
    auto list = m_workspaces;
    list.append(Workspace { QUuid::createUuid(), name, icon, color });
    const QUuid id = list.last().id;
    setWorkspaces(std::move(list));
    setActiveWorkspaceID(id);
}

void WorkspaceManager::updateWorkspace(
    const Workspace &workspace, const QString &name, const QString &icon, const QString &color)
{
    auto it = std::find_if(
        m_workspaces.begin(), m_workspaces.end(), [&](const Workspace &w) { return w.id == workspace.id; });
    if (it == m_workspaces.end()) {
        return;
    }
    const auto index = std::distance(m_workspaces.begin(), it);
    auto list = m_workspaces;
    list[index].name = name;
    list[index].icon = icon;
    list[index].color = color;
    setWorkspaces(std::move(list));
    if (workspace.id == m_activeWorkspaceID) {
        setActiveWorkspaceID(m_activeWorkspaceID);
    }
}

void WorkspaceManager::deleteWorkspace(const Workspace &workspace)
{
    if (m_workspaces.size() < 2) {
        return;
    }
    const bool wasActive = workspace.id == m_activeWorkspaceID;
    auto list = m_workspaces;
    list.removeIf([&](const Workspace &w) { return w.id == workspace.id; });
    setWorkspaces(std::move(list));
    if (wasActive) {
        setActiveWorkspaceID(m_workspaces.isEmpty() ? QUuid::createUuid() : m_workspaces.first().id);
    }
    for (const auto &base : s_dataBases) {
        m_defaults.remove(perWorkspaceKey(base, workspace.id).toStdString());
    }
}

void WorkspaceManager::saveWorkspaces()
{
    auto json = nlohmann::ordered_json::array();
    for (const auto &w : m_workspaces) {
        json.push_back(w.toJson());
    }
    StoredJson::write(m_defaults, s_workspacesKey, json);
}

void WorkspaceManager::migrateLegacyData(const QUuid &id)
{
    // Copy a legacy value only where the workspace has nothing yet: the
    // migration is due at every start until the list is first stored, and must
    // never overwrite what the default workspace has saved since.
    for (const auto &base : s_dataBases) {
        const std::string legacy = base.toStdString();
        const std::string target = perWorkspaceKey(base, id).toStdString();
        if (m_defaults.contains(target)) {
            continue;
        }
        const bool isData
            = base == QLatin1String("AppFolders") || base.startsWith(QLatin1String("brimlark_"));
        if (isData) {
            if (auto data = m_defaults.data(legacy)) {
                m_defaults.set(target, DefaultsValue(*data));
            }
        } else if (auto strings = m_defaults.stringArray(legacy)) {
            m_defaults.setStrings(target, *strings);
        }
    }
}

} // namespace brimlark
