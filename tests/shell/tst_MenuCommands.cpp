#include "ViewModelFixture.h"
#include "platform/NotificationCenter.h"
#include "shell/MenuCommands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QVariantMap>

using namespace brimlark;

namespace {

TEST(MenuCommands, TheLibraryMenuOffersTheFourSectionsInOrder)
{
    const auto &commands = MenuCommands::libraryCommands();
    ASSERT_EQ(commands.size(), 4u);
    const struct
    {
        QString title, shortcut, selection;
    } expected[] = {
        { u"All Apps"_qs, u"Ctrl+1"_qs, u"allApps"_qs },
        { u"Newly Added"_qs, u"Ctrl+2"_qs, u"newlyAdded"_qs },
        { u"Recents"_qs, u"Ctrl+3"_qs, u"recents"_qs },
        { u"Favorites"_qs, u"Ctrl+4"_qs, u"favorites"_qs },
    };
    const QVariantList list = MenuCommands(nullptr).libraryCommandList();
    ASSERT_EQ(list.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(commands[i].title, expected[i].title);
        EXPECT_EQ(commands[i].shortcut, expected[i].shortcut);
        EXPECT_EQ(commands[i].selection, expected[i].selection);
        const QVariantMap entry = list[i].toMap();
        EXPECT_EQ(entry.value(u"title"_qs).toString(), expected[i].title);
        EXPECT_EQ(entry.value(u"shortcut"_qs).toString(), expected[i].shortcut);
        EXPECT_EQ(entry.value(u"selection"_qs).toString(), expected[i].selection);
    }
}

TEST(MenuCommands, EachLibraryCommandSetsItsSelectionEveryTime)
{
    test::ViewModelFixture f;
    MenuCommands commands(&f.vm);
    // Choosing All Apps while it is selected sets it again.
    commands.showLibrarySection(u"allApps"_qs);
    commands.showLibrarySection(u"allApps"_qs);
    commands.showLibrarySection(u"newlyAdded"_qs);
    commands.showLibrarySection(u"recents"_qs);
    commands.showLibrarySection(u"favorites"_qs);
    EXPECT_EQ(f.selections,
        (QStringList { u"allApps"_qs, u"allApps"_qs, u"newlyAdded"_qs, u"recents"_qs, u"favorites"_qs }));
}

TEST(MenuCommands, NamesOutsideTheLibraryMenuSetNothing)
{
    test::ViewModelFixture f;
    MenuCommands commands(&f.vm);
    for (const QString &name : { u"hidden"_qs, u"AllApps"_qs, QString(), u"folder"_qs, u"allApps "_qs }) {
        commands.showLibrarySection(name);
    }
    EXPECT_TRUE(f.selections.isEmpty());
}

TEST(MenuCommands, WithoutAViewModelTheLibraryCommandsDoNothing)
{
    MenuCommands commands(nullptr);
    EXPECT_EQ(commands.viewModel(), nullptr);
    commands.showLibrarySection(u"allApps"_qs);
}

TEST(MenuCommands, SearchAppsPostsTheFocusRequestOnly)
{
    QObject context;
    QStringList posted;
    auto &center = NotificationCenter::defaultCenter();
    const quint64 token
        = center.addObserver(Notifications::SearchFocusRequested, &context, [&](const QVariant &object) {
              posted.append(Notifications::SearchFocusRequested);
              EXPECT_FALSE(object.isValid());
          });
    QObject::connect(
        &center, &NotificationCenter::posted, &context, [&](const QString &name, const QVariant &) {
            if (name != Notifications::SearchFocusRequested) {
                posted.append(name);
            }
        });
    test::ViewModelFixture f;
    MenuCommands commands(&f.vm);
    commands.searchApps();
    EXPECT_EQ(posted, QStringList { u"brimLarkSearchFocusRequested"_qs });
    EXPECT_TRUE(f.selections.isEmpty());
    center.removeObserver(token);
}

TEST(MenuCommands, QmlGetsTheSharedInstance)
{
    EXPECT_EQ(MenuCommands::create(nullptr, nullptr), &MenuCommands::shared());
    EXPECT_EQ(MenuCommands::create(nullptr, nullptr), MenuCommands::create(nullptr, nullptr));
}

} // namespace
