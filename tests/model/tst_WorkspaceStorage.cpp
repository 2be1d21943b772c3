#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

class WorkspaceStorageTest : public ::testing::Test
{
protected:
    std::string key(const char *base) const
    {
        return manager.perWorkspaceKey(QString::fromLatin1(base)).toStdString();
    }
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager manager { defaults, center };
};

TEST_F(WorkspaceStorageTest, ANewWorkspaceGetsStartersAndStoresThem)
{
    WorkspaceStorage storage(defaults, manager, center);
    ASSERT_EQ(storage.stickyNotes().size(), 2);
    EXPECT_EQ(storage.stickyNotes()[0].text,
        QStringLiteral("Welcome to Sticky Notes! Click '+' above to add a new note."));
    EXPECT_EQ(storage.stickyNotes()[1].colorHex, QStringLiteral("#30D158"));
    ASSERT_EQ(storage.codeSnippets().size(), 2);
    EXPECT_EQ(storage.codeSnippets()[0].code, QStringLiteral("print(\"Hello, World!\")"));
    EXPECT_TRUE(storage.codeSnippets()[1].code.contains(QStringLiteral("\n  <title>Brimlark</title>\n")));
    EXPECT_TRUE(storage.recentColors().isEmpty());
    for (const char *base : { "brimlark_sticky_notes", "brimlark_code_snippets", "brimlark_recent_colors",
             "brimlark_recent_measurements" }) {
        EXPECT_TRUE(defaults.contains(key(base))) << base;
    }
    // The stored starters are read back as they are, ids included.
    const auto ids = storage.stickyNotes()[0].id;
    WorkspaceStorage again(defaults, manager, center);
    EXPECT_EQ(again.stickyNotes()[0].id, ids);
}

TEST_F(WorkspaceStorageTest, AnEmptyNotesListStaysEmpty)
{
    {
        WorkspaceStorage storage(defaults, manager, center);
        storage.setStickyNotes({});
    }
    WorkspaceStorage storage(defaults, manager, center);
    EXPECT_TRUE(storage.stickyNotes().isEmpty());
}

TEST_F(WorkspaceStorageTest, SwitchingReplacesAllListsAndBackRestoresThem)
{
    WorkspaceStorage storage(defaults, manager, center);
    storage.setRecentColors({ QStringLiteral("#112233") });
    storage.setRecentMeasurements({ QStringLiteral("10 × 20") });
    storage.setStickyNotes(
        { StickyNote { QUuid::createUuid(), QStringLiteral("mine"), QStringLiteral("#FFFFFF") } });
    const QUuid first = manager.activeWorkspaceID();

    manager.createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#FF0000"));
    EXPECT_TRUE(storage.recentColors().isEmpty());
    EXPECT_TRUE(storage.recentMeasurements().isEmpty());
    EXPECT_EQ(storage.stickyNotes().size(), 2);

    manager.setActiveWorkspaceID(first);
    EXPECT_EQ(storage.recentColors(), QStringList { QStringLiteral("#112233") });
    EXPECT_EQ(storage.recentMeasurements(), QStringList { QStringLiteral("10 × 20") });
    ASSERT_EQ(storage.stickyNotes().size(), 1);
    EXPECT_EQ(storage.stickyNotes()[0].text, QStringLiteral("mine"));
}

TEST_F(WorkspaceStorageTest, UnreadableNotesAreKeptAsideThenReplacedByStarters)
{
    const std::string bad
        = R"([{"id":"D3B07384-D113-4E4E-A343-A33A0A26F3D3","text":"keep me"},{"oops":true}])";
    defaults.set(key("brimlark_sticky_notes"), DefaultsValue::fromBytes(bad));
    defaults.set(key("brimlark_recent_colors"), "not a list");
    WorkspaceStorage storage(defaults, manager, center);
    EXPECT_EQ(storage.stickyNotes().size(), 2);
    EXPECT_TRUE(storage.recentColors().isEmpty());
    auto aside = defaults.data(key("brimlark_sticky_notes") + "_unreadable");
    ASSERT_TRUE(aside);
    EXPECT_EQ(std::string(aside->begin(), aside->end()), bad);
    // A second unreadable list once replaced the first one kept aside.
    const std::string worse = R"([{"text":"and me"}])";
    for (int load = 0; load < 2; ++load) {
        defaults.set(key("brimlark_sticky_notes"), DefaultsValue::fromBytes(load ? bad : worse));
        storage.reloadWorkspaceData();
    }
    aside = defaults.data(key("brimlark_sticky_notes") + "_unreadable");
    const auto second = defaults.data(key("brimlark_sticky_notes") + "_unreadable_2");
    ASSERT_TRUE(aside && second);
    EXPECT_EQ(std::string(aside->begin(), aside->end()), bad);
    EXPECT_EQ(std::string(second->begin(), second->end()), worse);
    EXPECT_FALSE(defaults.contains(key("brimlark_sticky_notes") + "_unreadable_3"));
}

TEST_F(WorkspaceStorageTest, RecentListsKeepEveryTextAndSetAsideWhatTheyCouldNotRead)
{
    using Array = DefaultsValue::Array;
    struct Case
    {
        const char *name;
        std::optional<DefaultsValue> stored;
        std::vector<const char *> loaded;
        bool keptAside;
    };
    const std::vector<Case> cases = {
        { "absent", std::nullopt, {}, false },
        { "all texts", DefaultsValue(Array { "#112233", "#445566" }), { "#112233", "#445566" }, false },
        { "one number among texts", DefaultsValue(Array { "#112233", "#445566", 42, "#778899" }),
            { "#112233", "#445566", "#778899" }, true },
        { "a nested list", DefaultsValue(Array { Array { "#112233" }, "#445566" }), { "#445566" }, true },
        { "not a list", DefaultsValue("not a list"), {}, true },
        { "data", DefaultsValue(DefaultsValue::Data { 1, 2 }), {}, true },
    };
    for (const char *base : { "brimlark_recent_colors", "brimlark_recent_measurements" }) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(base) + ": " + c.name);
            Defaults defaults;
            WorkspaceManager workspaces(defaults, center);
            const std::string k = workspaces.perWorkspaceKey(QString::fromLatin1(base)).toStdString();
            if (c.stored) {
                defaults.set(k, *c.stored);
            }
            WorkspaceStorage storage(defaults, workspaces, center);
            const QStringList &loaded = std::string(base) == "brimlark_recent_colors"
                ? storage.recentColors()
                : storage.recentMeasurements();
            QStringList expected;
            for (const char *text : c.loaded) {
                expected << QString::fromUtf8(text);
            }
            EXPECT_EQ(loaded, expected);
            // What was read is stored back at once; the original survives aside.
            EXPECT_EQ(defaults.stringArray(k).value_or(std::vector<std::string> { "missing" }).size(),
                std::size_t(c.loaded.size()));
            const auto aside = defaults.object(k + "_unreadable");
            EXPECT_EQ(aside.has_value(), c.keptAside);
            if (c.keptAside && aside) {
                EXPECT_TRUE(*aside == *c.stored);
            }
        }
    }
}

} // namespace
