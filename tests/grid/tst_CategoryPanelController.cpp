#include "GridFixture.h"

#include "grid/CategoryPanelController.h"
#include "grid/GridDropController.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

TEST(CategoryPanelRules, ThePanelIsClampedToItsSpaceWithAMargin)
{
    const QList<QPair<QSizeF, QSizeF>> cases {
        { { 1200, 800 }, { 700, 500 } },
        { { 748, 548 }, { 700, 500 } },
        // The narrowest detail column: the close button stays inside.
        { { 500, 400 }, { 452, 352 } },
        { { 30, 20 }, { 0, 0 } },
    };
    for (const auto &[available, expected] : cases) {
        EXPECT_EQ(CategoryPanelController::panelSize(available), expected) << available.width();
    }
}

TEST(CategoryPanelRules, ThePanelClosesOnceHoweverOftenItIsDismissed)
{
    test::GridFixture f;
    CategoryPanelController panel;
    panel.setViewModel(&f.vm());
    QSignalSpy dismissed(&panel, &CategoryPanelController::dismissed);
    panel.dismissWithAnimation();
    f.advance(100);
    panel.dismissWithAnimation();
    f.advance(99);
    EXPECT_EQ(dismissed.size(), 0);
    f.advance(1);
    EXPECT_EQ(dismissed.size(), 1);
    f.advance(1000);
    EXPECT_EQ(dismissed.size(), 1);
}

TEST(CategoryPanelRules, AFolderPanelReordersByPathWhateverIsSelected)
{
    test::GridFixture f;
    f.publish(QStringList { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs });
    f.makeFolder(u"Work"_qs, { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs });
    f.selectSection(u"allApps"_qs);
    GridDropController drops;
    drops.setViewModel(&f.vm());
    drops.setCatalog(&f.finder);
    drops.setFolderFlag(true);
    drops.setFolderValue(f.folder(u"Work"_qs));
    const QString a = f.app(u"A"_qs).id();
    EXPECT_TRUE(drops.dropOnTile({ QUrl(u"file://"_qs + a) }, f.app(u"C"_qs).id()));
    EXPECT_EQ(f.folderMembers(u"Work"_qs), (QStringList { u"B"_qs, u"C"_qs, u"A"_qs, u"D"_qs }));
    EXPECT_TRUE(drops.dropOnTile({ QUrl(u"file://"_qs + f.app(u"D"_qs).id() + u'/') }, f.app(u"B"_qs).id()));
    EXPECT_EQ(f.folderMembers(u"Work"_qs), (QStringList { u"D"_qs, u"B"_qs, u"C"_qs, u"A"_qs }));
}

} // namespace
