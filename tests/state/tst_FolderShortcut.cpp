#include "state/FolderShortcut.h"

#include "platform/core/KeyDownEvent.h"
#include "support/ViewModelFixture.h"

#include <gtest/gtest.h>

using namespace brimlark;
using Kind = SidebarSelection::Kind;

namespace {

class FolderShortcutTest : public ::testing::Test
{
protected:
    AppFolder makeFolder(const QString &name)
    {
        return *finder.folder(finder.createFolder(name, QStringLiteral("folder"), QStringLiteral("#336699")));
    }
    static KeyDownEvent commandKey(const QString &letter, quint32 extra = 0, bool textFocus = false)
    {
        return { KeyModifier::command | extra, letter, textFocus };
    }

    test::ViewModelFixture f;
    AppFinder &finder = f.finder;
    BrimlarkViewModel &vm = f.vm;
    FolderShortcut shortcut { vm };
};

} // namespace

TEST_F(FolderShortcutTest, CyclesThroughMatchingRootFolders)
{
    const AppFolder alpha = makeFolder(QStringLiteral("Alpha"));
    const AppFolder apps = makeFolder(QStringLiteral("apps"));
    const AppFolder art = makeFolder(QStringLiteral("Art"));
    const AppFolder archive = makeFolder(QStringLiteral("Archive"));
    finder.hideFolder(archive);
    makeFolder(QStringLiteral("Child"));
    finder.createFolder(
        QStringLiteral("Amber"), QStringLiteral("folder"), QStringLiteral("#000000"), alpha.id);

    EXPECT_TRUE(shortcut.handle(QStringLiteral("a")));
    EXPECT_EQ(vm.selection(), SidebarSelection::ofFolder(alpha));
    EXPECT_TRUE(shortcut.handle(QStringLiteral("a")));
    EXPECT_EQ(vm.selection(), SidebarSelection::ofFolder(apps));
    EXPECT_TRUE(shortcut.handle(QStringLiteral("a")));
    EXPECT_EQ(vm.selection(), SidebarSelection::ofFolder(art));
    EXPECT_TRUE(shortcut.handle(QStringLiteral("a")));
    EXPECT_EQ(vm.selection(), SidebarSelection::ofFolder(alpha));

    vm.selectSection(Kind::favorites);
    EXPECT_FALSE(shortcut.handle(QStringLiteral("z")));
    EXPECT_EQ(vm.selection(), SidebarSelection(Kind::favorites));
}

TEST_F(FolderShortcutTest, KeyRules)
{
    const struct
    {
        const char *name;
        KeyDownEvent event;
        std::optional<QString> letter;
    } rows[] = {
        { "command w", commandKey(QStringLiteral("w")), QStringLiteral("w") },
        { "upper case folds", commandKey(QStringLiteral("W")), QStringLiteral("w") },
        { "command k", commandKey(QStringLiteral("k")), std::nullopt },
        { "shift", commandKey(QStringLiteral("w"), KeyModifier::shift), std::nullopt },
        { "option", commandKey(QStringLiteral("w"), KeyModifier::option), std::nullopt },
        { "control", commandKey(QStringLiteral("w"), KeyModifier::control), std::nullopt },
        { "caps lock", commandKey(QStringLiteral("w"), KeyModifier::capsLock), std::nullopt },
        { "function", commandKey(QStringLiteral("w"), KeyModifier::function), std::nullopt },
        { "digit", commandKey(QStringLiteral("1")), std::nullopt },
        { "two characters", commandKey(QStringLiteral("ab")), std::nullopt },
        { "no character", commandKey(QString()), std::nullopt },
        { "accented", commandKey(QStringLiteral("\u00e9")), std::nullopt },
        { "no command", KeyDownEvent { 0, QStringLiteral("w"), false }, std::nullopt },
        { "text field: select all", commandKey(QStringLiteral("a"), 0, true), std::nullopt },
        { "text field: copy", commandKey(QStringLiteral("c"), 0, true), std::nullopt },
        { "text field: paste", commandKey(QStringLiteral("v"), 0, true), std::nullopt },
        { "text field: cut", commandKey(QStringLiteral("x"), 0, true), std::nullopt },
        { "text field: undo", commandKey(QStringLiteral("z"), 0, true), std::nullopt },
        { "text field: other letter", commandKey(QStringLiteral("w"), 0, true), QStringLiteral("w") },
        { "no text field: select all", commandKey(QStringLiteral("a")), QStringLiteral("a") },
    };
    for (const auto &row : rows) {
        EXPECT_EQ(FolderShortcut::letter(row.event), row.letter) << row.name;
    }
}

TEST_F(FolderShortcutTest, KeyIsConsumedOnlyOnAMatch)
{
    const AppFolder work = makeFolder(QStringLiteral("Work"));
    const AppFolder copies = makeFolder(QStringLiteral("Copies"));

    EXPECT_TRUE(shortcut.claimsKeyDown(commandKey(QStringLiteral("w"))));
    EXPECT_EQ(vm.selection(), SidebarSelection(Kind::allApps)); // claiming changes nothing
    EXPECT_TRUE(shortcut.handleKeyDown(commandKey(QStringLiteral("w"))));
    EXPECT_EQ(vm.selection(), SidebarSelection::ofFolder(work));

    EXPECT_FALSE(shortcut.claimsKeyDown(commandKey(QStringLiteral("q"))));
    EXPECT_FALSE(shortcut.handleKeyDown(commandKey(QStringLiteral("q"))));
    EXPECT_FALSE(shortcut.handleKeyDown(commandKey(QStringLiteral("w"), KeyModifier::shift)));
    EXPECT_EQ(vm.selection(), SidebarSelection::ofFolder(work));

    // Copy in a text field stays with the field even though "Copies" matches.
    EXPECT_FALSE(shortcut.claimsKeyDown(commandKey(QStringLiteral("c"), 0, true)));
    EXPECT_FALSE(shortcut.handleKeyDown(commandKey(QStringLiteral("c"), 0, true)));
    EXPECT_TRUE(shortcut.handleKeyDown(commandKey(QStringLiteral("c"))));
    EXPECT_EQ(vm.selection(), SidebarSelection::ofFolder(copies));
}
