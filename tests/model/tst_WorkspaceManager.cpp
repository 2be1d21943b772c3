#include "model/StoredJson.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

const QString kDefaultId = QStringLiteral("D3B07384-D113-4E4E-A343-A33A0A26F3D3");

class WorkspaceManagerTest : public ::testing::Test
{
protected:
    WorkspaceManagerTest()
    {
        center.addObserver(Notifications::WorkspaceChanged, nullptr,
            [this](const QVariant &v) { posted << v.value<QUuid>(); });
    }
    std::unique_ptr<WorkspaceManager> make() { return std::make_unique<WorkspaceManager>(defaults, center); }
    void storeRaw(const std::string &key, const std::string &text)
    {
        defaults.set(key, DefaultsValue::fromBytes(text));
    }

    Defaults defaults;
    NotificationCenter center;
    QList<QUuid> posted;
};

TEST_F(WorkspaceManagerTest, FirstStartBuildsTheDefaultWorkspaceSilently)
{
    auto m = make();
    ASSERT_EQ(m->workspaces().size(), 1);
    const auto &w = m->workspaces().first();
    EXPECT_EQ(w.idText(), kDefaultId);
    EXPECT_EQ(w.name, QStringLiteral("Default"));
    EXPECT_EQ(w.icon, QStringLiteral("briefcase.fill"));
    EXPECT_EQ(w.color, QStringLiteral("#007AFF"));
    EXPECT_EQ(m->activeWorkspaceIDText(), kDefaultId);
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_FALSE(defaults.contains("brimlark_workspaces"));
    EXPECT_EQ(m->perWorkspaceKey(QStringLiteral("recentApps")), QStringLiteral("recentApps_") + kDefaultId);
}

TEST_F(WorkspaceManagerTest, LegacyValuesAreCopiedOnlyWhereTheWorkspaceHasNone)
{
    storeRaw("AppFolders", "[]");
    defaults.setStrings("recentApps", { "file:///A.app/" });
    defaults.setStrings("favoriteApps", { "file:///B.app/" });
    defaults.setStrings("unifiedGridOrder", { "category:Games" });
    storeRaw("brimlark_sticky_notes", "[]");
    storeRaw("brimlark_code_snippets", "[]");
    make();
    const std::string suffix = "_" + kDefaultId.toStdString();
    EXPECT_EQ(defaults.data("AppFolders" + suffix), defaults.data("AppFolders"));
    EXPECT_EQ(defaults.stringArray("recentApps" + suffix), (std::vector<std::string> { "file:///A.app/" }));
    EXPECT_EQ(defaults.stringArray("favoriteApps" + suffix), (std::vector<std::string> { "file:///B.app/" }));
    EXPECT_EQ(
        defaults.stringArray("unifiedGridOrder" + suffix), (std::vector<std::string> { "category:Games" }));
    EXPECT_TRUE(defaults.data("brimlark_sticky_notes" + suffix));
    EXPECT_TRUE(defaults.data("brimlark_code_snippets" + suffix));
    EXPECT_TRUE(defaults.contains("recentApps"));

    // The default workspace records newer recents; the next start (the list
    // was never stored, so the migration is due again) must keep them.
    defaults.setStrings("recentApps" + suffix, { "file:///C.app/" });
    make();
    EXPECT_EQ(defaults.stringArray("recentApps" + suffix), (std::vector<std::string> { "file:///C.app/" }));
}

TEST_F(WorkspaceManagerTest, StoredActiveIdMustNameAListedWorkspace)
{
    {
        auto m = make();
        m->createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#FF0000"));
        EXPECT_EQ(posted.size(), 1);
        EXPECT_EQ(m->activeWorkspaceID(), m->workspaces().at(1).id);
    }
    // A restart keeps the chosen workspace.
    auto again = make();
    EXPECT_EQ(again->activeWorkspaceID(), again->workspaces().at(1).id);

    for (const char *stored : { "not a uuid", "11111111-2222-3333-4444-555555555555" }) {
        defaults.set("brimlark_active_workspace_id", stored);
        EXPECT_EQ(make()->activeWorkspaceIDText(), kDefaultId) << stored;
    }
}

TEST_F(WorkspaceManagerTest, AnEmptyStoredListKeepsTheDefaultIdAcrossStarts)
{
    storeRaw("brimlark_workspaces", "[]");
    auto m = make();
    EXPECT_TRUE(m->workspaces().isEmpty());
    EXPECT_EQ(m->activeWorkspaceIDText(), kDefaultId);
    EXPECT_EQ(make()->activeWorkspaceID(), m->activeWorkspaceID());
}

TEST_F(WorkspaceManagerTest, OneMalformedRecordKeepsTheStoredListAside)
{
    const std::string stored
        = R"([{"id":"D3B07384-D113-4E4E-A343-A33A0A26F3D3","name":"Mine","icon":"x","color":"#000000"},{"id":1}])";
    storeRaw("brimlark_workspaces", stored);
    auto m = make();
    ASSERT_EQ(m->workspaces().size(), 1);
    EXPECT_EQ(m->workspaces().first().name, QStringLiteral("Default"));
    m->createWorkspace(QStringLiteral("New"), QStringLiteral("star"), QStringLiteral("#FFFFFF"));
    auto aside = defaults.data("brimlark_workspaces_unreadable");
    ASSERT_TRUE(aside);
    EXPECT_EQ(std::string(aside->begin(), aside->end()), stored);
}

TEST_F(WorkspaceManagerTest, UpdatePostsOnlyForTheActiveWorkspace)
{
    auto m = make();
    m->createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#FF0000"));
    posted.clear();
    const Workspace first = m->workspaces().at(0);
    const Workspace second = m->workspaces().at(1);
    m->updateWorkspace(first, QStringLiteral("Renamed"), QStringLiteral("house"), QStringLiteral("#123456"));
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_EQ(m->workspaces().at(0).name, QStringLiteral("Renamed"));
    m->updateWorkspace(second, QStringLiteral("Active"), QStringLiteral("star"), QStringLiteral("#FF0000"));
    EXPECT_EQ(posted, QList<QUuid> { second.id });
    // The edit is stored.
    EXPECT_EQ(make()->workspaces().at(0).name, QStringLiteral("Renamed"));
    // Switching to the active workspace again still stores and posts.
    posted.clear();
    m->setActiveWorkspaceID(second.id);
    EXPECT_EQ(posted.size(), 1);
}

TEST_F(WorkspaceManagerTest, DeleteKeepsTheLastWorkspaceAndRemovesSixKeys)
{
    auto m = make();
    m->deleteWorkspace(m->workspaces().first());
    EXPECT_EQ(m->workspaces().size(), 1);
    EXPECT_TRUE(posted.isEmpty());

    m->createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#FF0000"));
    const Workspace second = m->workspaces().at(1);
    for (const char *base :
        { "AppFolders", "recentApps", "favoriteApps", "unifiedGridOrder", "brimlark_sticky_notes",
            "brimlark_code_snippets", "brimlark_recent_colors", "brimlark_recent_measurements" }) {
        defaults.set(
            WorkspaceManager::perWorkspaceKey(QString::fromLatin1(base), second.id).toStdString(), "x");
    }
    posted.clear();
    m->deleteWorkspace(second);
    EXPECT_EQ(m->workspaces().size(), 1);
    EXPECT_EQ(m->activeWorkspaceIDText(), kDefaultId);
    EXPECT_EQ(posted.size(), 1);
    const QString suffix
        = QStringLiteral("_") + WorkspaceManager::perWorkspaceKey(QString(), second.id).mid(1);
    for (const char *base : { "AppFolders", "recentApps", "favoriteApps", "unifiedGridOrder",
             "brimlark_sticky_notes", "brimlark_code_snippets" }) {
        EXPECT_FALSE(defaults.contains((QString::fromLatin1(base) + suffix).toStdString())) << base;
    }
    EXPECT_TRUE(defaults.contains((QStringLiteral("brimlark_recent_colors") + suffix).toStdString()));
    EXPECT_TRUE(defaults.contains((QStringLiteral("brimlark_recent_measurements") + suffix).toStdString()));
}

} // namespace
