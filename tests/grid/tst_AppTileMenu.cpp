#include "grid/AppTileMenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace brimlark;

namespace {

using Kind = SidebarSelection::Kind;

AppFolder folderNamed(const QString &name)
{
    AppFolder f;
    f.id = QUuid::createUuid();
    f.name = name;
    return f;
}

// The menu as lines: "-" for a divider, "!" before a destructive entry,
// "> title [a, b]" for a submenu.
std::vector<std::string> lines(const QList<MenuEntry> &entries)
{
    std::vector<std::string> out;
    for (const auto &e : entries) {
        switch (e.kind) {
        case MenuEntry::Kind::divider:
            out.push_back("-");
            break;
        case MenuEntry::Kind::action:
            out.push_back((e.destructive ? "!" : "") + e.title.toStdString());
            break;
        case MenuEntry::Kind::submenu: {
            std::string line = "> " + e.title.toStdString() + " [";
            for (qsizetype i = 0; i < e.children.size(); ++i) {
                line += (i ? ", " : "") + e.children[i].title.toStdString();
            }
            out.push_back(line + "]");
            break;
        }
        }
    }
    return out;
}

struct MenuCase
{
    const char *name;
    std::optional<SidebarSelection> selection;
    bool favorite;
    std::vector<std::string> expected;
};

const AppFolder work = folderNamed(QStringLiteral("Work"));
const AppFolder play = folderNamed(QStringLiteral("Play & <b>Fun</b>"));

class AppTileMenuEntries : public ::testing::TestWithParam<MenuCase>
{
};

TEST_P(AppTileMenuEntries, OfferTheCommandsOfTheContext)
{
    const MenuCase &c = GetParam();
    EXPECT_EQ(lines(AppTileMenu::entries(c.selection, c.favorite, { work, play })), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Contexts, AppTileMenuEntries,
    ::testing::Values(MenuCase { "allApps", SidebarSelection(Kind::allApps), false,
                          { "Launch", "-", "Add to Favorites", "-", "!Hide App Globally", "-",
                              "> Add to Folder [Work, Play & <b>Fun</b>]", "-", "!Uninstall App\u2026" } },
        MenuCase { "noSelection", std::nullopt, true,
            { "Launch", "-", "Remove from Favorites", "-", "!Hide App Globally", "-",
                "> Add to Folder [Work, Play & <b>Fun</b>]", "-", "!Uninstall App\u2026" } },
        MenuCase { "folder", SidebarSelection::ofFolder(work), false,
            { "Launch", "-", "Add to Favorites", "-", "!Hide App Globally", "-", "!Remove from Folder", "-",
                "!Uninstall App\u2026" } },
        // The hidden section has no folder entry: its two dividers meet.
        MenuCase { "hidden", SidebarSelection(Kind::hidden), true,
            { "Launch", "-", "Remove from Favorites", "-", "Unhide App Globally", "-", "-",
                "!Uninstall App\u2026" } },
        MenuCase { "category", SidebarSelection::ofCategory(QStringLiteral("Games")), false,
            { "Launch", "-", "Add to Favorites", "-", "!Hide App Globally", "-",
                "> Add to Folder [Work, Play & <b>Fun</b>]", "-", "!Uninstall App\u2026" } },
        MenuCase { "recents", SidebarSelection(Kind::recents), false,
            { "Launch", "-", "Add to Favorites", "-", "!Hide App Globally", "-",
                "> Add to Folder [Work, Play & <b>Fun</b>]", "-", "!Uninstall App\u2026" } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MenuEntry, NamesShowVerbatimInMenus)
{
    const struct
    {
        QString name;
        QString menuText;
    } rows[] = {
        { u"R&D"_qs, u"R&&D"_qs },
        { u"&&"_qs, u"&&&&"_qs },
        { u"<b>Fun</b>"_qs, u"<b>Fun</b>"_qs },
        { u"Plain"_qs, u"Plain"_qs },
    };
    for (const auto &row : rows) {
        MenuEntry entry;
        entry.title = row.name;
        EXPECT_EQ(entry.menuText(), row.menuText);
    }
}

TEST(AppTileMenu, FolderEntriesNameTheirFolderAndKeepItsNameAsItIs)
{
    const auto entries = AppTileMenu::entries(SidebarSelection(Kind::allApps), false, { work, play });
    const auto &sub = entries[6];
    ASSERT_EQ(sub.children.size(), 2);
    EXPECT_EQ(sub.children[1].folderID, play.id);
    EXPECT_EQ(sub.children[1].action, int(AppTileMenu::Action::addToFolder));
    EXPECT_FALSE(sub.children[1].localized);
    EXPECT_TRUE(sub.localized);

    const auto inFolder = AppTileMenu::entries(SidebarSelection::ofFolder(work), false, { work, play });
    EXPECT_EQ(inFolder[6].action, int(AppTileMenu::Action::removeFromFolder));
    EXPECT_EQ(inFolder[6].folderID, work.id);
}

} // namespace

TEST(AppTileMenu, TheFolderSubmenuOffersTheVisibleFoldersAndIsDisabledWithoutAny)
{
    const struct
    {
        QList<AppFolder> folders;
        QSet<QUuid> hidden;
        std::string expected;
        bool enabled;
    } rows[] = {
        { {}, {}, "> Add to Folder []", false },
        { { work, play }, {}, "> Add to Folder [Work, Play & <b>Fun</b>]", true },
        { { work, play }, { play.id }, "> Add to Folder [Work]", true },
        { { work, play }, { work.id, play.id }, "> Add to Folder []", false },
    };
    for (const auto &row : rows) {
        for (const Kind kind : { Kind::allApps, Kind::favorites }) {
            const auto entries = AppTileMenu::entries(SidebarSelection(kind), false, row.folders, row.hidden);
            const auto it = std::find_if(entries.begin(), entries.end(),
                [](const MenuEntry &e) { return e.kind == MenuEntry::Kind::submenu; });
            ASSERT_NE(it, entries.end()) << row.expected;
            EXPECT_EQ(lines({ *it })[0], row.expected);
            EXPECT_EQ(it->enabled, row.enabled) << row.expected;
        }
    }
}
