#include "platform/NotificationCenter.h"
#include "shell/MenuCommands.h"
#include "shell/ShellViewModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QVariantMap>

using namespace brimlark;
using ::testing::InSequence;
using ::testing::StrictMock;

namespace {

class MockViewModel : public ShellViewModel
{
public:
    MOCK_METHOD(void, setLibrarySelection, (SidebarSelection::Kind section), (override));
};

TEST(MenuCommands, TheLibraryMenuOffersTheFourSectionsInOrder)
{
    const auto &commands = MenuCommands::libraryCommands();
    ASSERT_EQ(commands.size(), 4u);
    const struct
    {
        QString title, shortcut;
        SidebarSelection::Kind section;
    } expected[] = {
        { u"All Apps"_qs, u"Ctrl+1"_qs, SidebarSelection::Kind::allApps },
        { u"Newly Added"_qs, u"Ctrl+2"_qs, SidebarSelection::Kind::newlyAdded },
        { u"Recents"_qs, u"Ctrl+3"_qs, SidebarSelection::Kind::recents },
        { u"Favorites"_qs, u"Ctrl+4"_qs, SidebarSelection::Kind::favorites },
    };
    const QVariantList list = MenuCommands(nullptr).libraryCommandList();
    ASSERT_EQ(list.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(commands[i].title, expected[i].title);
        EXPECT_EQ(commands[i].shortcut, expected[i].shortcut);
        EXPECT_EQ(commands[i].section, expected[i].section);
        const QVariantMap entry = list[i].toMap();
        EXPECT_EQ(entry.value(u"title"_qs).toString(), expected[i].title);
        EXPECT_EQ(entry.value(u"shortcut"_qs).toString(), expected[i].shortcut);
        EXPECT_EQ(entry.value(u"section"_qs).value<SidebarSelection::Kind>(), expected[i].section);
    }
}

TEST(MenuCommands, EachLibraryCommandSetsItsSelectionEveryTime)
{
    StrictMock<MockViewModel> viewModel;
    MenuCommands commands(&viewModel);
    {
        InSequence order;
        EXPECT_CALL(viewModel, setLibrarySelection(SidebarSelection::Kind::allApps)).Times(2);
        EXPECT_CALL(viewModel, setLibrarySelection(SidebarSelection::Kind::newlyAdded));
        EXPECT_CALL(viewModel, setLibrarySelection(SidebarSelection::Kind::recents));
        EXPECT_CALL(viewModel, setLibrarySelection(SidebarSelection::Kind::favorites));
    }
    // Choosing All Apps while it is selected sets it again.
    commands.showLibrarySection(SidebarSelection::Kind::allApps);
    commands.showLibrarySection(SidebarSelection::Kind::allApps);
    commands.showLibrarySection(SidebarSelection::Kind::newlyAdded);
    commands.showLibrarySection(SidebarSelection::Kind::recents);
    commands.showLibrarySection(SidebarSelection::Kind::favorites);
}

TEST(MenuCommands, SectionsOutsideTheLibraryMenuSetNothing)
{
    StrictMock<MockViewModel> viewModel;
    MenuCommands commands(&viewModel);
    using Kind = SidebarSelection::Kind;
    // Kind(99): a number QML could pass.
    for (const Kind section : { Kind::hidden, Kind::folder, Kind::category, Kind(99) }) {
        commands.showLibrarySection(section);
    }
}

TEST(MenuCommands, WithoutAViewModelTheLibraryCommandsDoNothing)
{
    MenuCommands commands(nullptr);
    EXPECT_EQ(commands.viewModel(), nullptr);
    commands.showLibrarySection(SidebarSelection::Kind::allApps);
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
    StrictMock<MockViewModel> viewModel;
    MenuCommands commands(&viewModel);
    commands.searchApps();
    EXPECT_EQ(posted, QStringList { u"brimLarkSearchFocusRequested"_qs });
    center.removeObserver(token);
}

TEST(MenuCommands, QmlGetsTheSharedInstance)
{
    EXPECT_EQ(MenuCommands::create(nullptr, nullptr), &MenuCommands::shared());
    EXPECT_EQ(MenuCommands::create(nullptr, nullptr), MenuCommands::create(nullptr, nullptr));
}

} // namespace
