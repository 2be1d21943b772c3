#include "platform/core/NotificationCenter.h"
#include "shell/MenuCommands.h"
#include "support/ViewModelFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QQmlEngine>
#include <QVariantMap>

using namespace brimlark;

namespace {

using Kind = SidebarSelection::Kind;

TEST(MenuCommands, TheLibraryMenuOffersTheFourSectionsInOrder)
{
    const auto &commands = MenuCommands::libraryCommands();
    ASSERT_EQ(commands.size(), 4u);
    const struct
    {
        QString title, shortcut;
        Kind selection;
    } expected[] = {
        { u"All Apps"_qs, u"Ctrl+1"_qs, Kind::allApps },
        { u"Newly Added"_qs, u"Ctrl+2"_qs, Kind::newlyAdded },
        { u"Recents"_qs, u"Ctrl+3"_qs, Kind::recents },
        { u"Favorites"_qs, u"Ctrl+4"_qs, Kind::favorites },
    };
    const QVariantList list = MenuCommands(nullptr, nullptr).libraryCommandList();
    ASSERT_EQ(list.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(commands[i].title, expected[i].title);
        EXPECT_EQ(commands[i].shortcut, expected[i].shortcut);
        EXPECT_EQ(commands[i].selection, expected[i].selection);
        const QVariantMap entry = list[i].toMap();
        EXPECT_EQ(entry.value(u"title"_qs).toString(), expected[i].title);
        EXPECT_EQ(entry.value(u"shortcut"_qs).toString(), expected[i].shortcut);
        EXPECT_EQ(entry.value(u"selection"_qs).value<Kind>(), expected[i].selection);
    }
}

TEST(MenuCommands, EachLibraryCommandSetsItsSelectionEveryTimeAndNoOtherSectionDoes)
{
    test::ViewModelFixture f;
    MenuCommands commands(nullptr, &f.vm);
    // Choosing All Apps while it is selected sets it again; sections outside the menu set nothing.
    for (const Kind kind : { Kind::allApps, Kind::hidden, Kind::allApps, Kind::folder, Kind::newlyAdded,
             Kind::category, Kind::recents, Kind(-1), Kind::favorites }) {
        commands.showLibrarySection(kind);
    }
    EXPECT_EQ(f.selections,
        (QStringList { u"allApps"_qs, u"allApps"_qs, u"newlyAdded"_qs, u"recents"_qs, u"favorites"_qs }));
}

TEST(MenuCommands, WithoutAViewModelTheLibraryCommandsDoNothing)
{
    NotificationCenter center;
    QStringList posted;
    QObject::connect(&center, &NotificationCenter::posted, [&](const QString &name) { posted << name; });
    MenuCommands commands(&center, nullptr);
    EXPECT_EQ(commands.viewModel(), nullptr);
    commands.showLibrarySection(Kind::allApps);
    EXPECT_TRUE(posted.isEmpty());
}

TEST(MenuCommands, SearchAppsPostsTheFocusRequestOnly)
{
    QObject context;
    QStringList posted;
    NotificationCenter center;
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
    MenuCommands commands(&center, &f.vm);
    commands.searchApps();
    EXPECT_EQ(posted, QStringList { u"brimLarkSearchFocusRequested"_qs });
    EXPECT_TRUE(f.selections.isEmpty());
    center.removeObserver(token);
}

TEST(MenuCommands, QmlGetsTheInstanceAttachedToItsEngine)
{
    QQmlEngine first, second, bare;
    MenuCommands one(nullptr, nullptr), other(nullptr, nullptr);
    one.attachTo(first);
    other.attachTo(second);
    EXPECT_EQ(MenuCommands::create(&first, &first), &one);
    EXPECT_EQ(MenuCommands::create(&second, &second), &other);
    EXPECT_EQ(MenuCommands::create(&bare, &bare), nullptr);
}

} // namespace
