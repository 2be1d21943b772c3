#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "tools/StickyNotesController.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

class StickyNotesTest : public ::testing::Test
{
protected:
    void setTexts(const QStringList &texts)
    {
        QList<StickyNote> list;
        for (const auto &t : texts) {
            list << StickyNote { QUuid::createUuid(), t, QStringLiteral("#FFD60A") };
        }
        storage.setStickyNotes(list);
    }
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager manager { defaults, center };
    WorkspaceStorage storage { defaults, manager, center };
    StickyNotesController notes { storage };
};

TEST_F(StickyNotesTest, AddDeleteAndPagerKeepTheShownNote)
{
    setTexts({});
    EXPECT_FALSE(notes.hasNotes());
    notes.deleteShownNote(); // nothing to delete
    notes.addNote();
    EXPECT_EQ(notes.noteColorHex(), QStringLiteral("#FFD60A"));
    EXPECT_EQ(notes.positionText(), QStringLiteral("1 / 1"));
    EXPECT_FALSE(notes.canGoPrevious());
    EXPECT_FALSE(notes.canGoNext());

    setTexts({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d") });
    notes.nextNote();
    notes.nextNote();
    notes.nextNote();
    notes.nextNote(); // stops at the last
    EXPECT_EQ(notes.activeIndex(), 3);
    notes.deleteShownNote(); // the last: the one before it shows
    EXPECT_EQ(notes.noteText(), QStringLiteral("c"));
    notes.previousNote();
    notes.deleteShownNote(); // in the middle: its successor moves in
    EXPECT_EQ(notes.noteText(), QStringLiteral("c"));
    EXPECT_EQ(notes.positionText(), QStringLiteral("2 / 2"));
    notes.addNote();
    EXPECT_EQ(notes.activeIndex(), 2);
    while (notes.hasNotes()) {
        notes.deleteShownNote();
    }
    EXPECT_EQ(notes.activeIndex(), 0);
    EXPECT_TRUE(storage.stickyNotes().isEmpty());
}

TEST_F(StickyNotesTest, TextAndColourEditsAreStoredAtOnce)
{
    setTexts({ QStringLiteral("first"), QStringLiteral("second") });
    auto list = storage.stickyNotes();
    list[1].colorHex = QStringLiteral("#64d2ff"); // matches no swatch exactly
    storage.setStickyNotes(list);
    notes.nextNote();
    for (const auto &c : notes.colorList()) {
        EXPECT_FALSE(c.toMap().value(QStringLiteral("selected")).toBool());
    }
    notes.setNoteText(QStringLiteral("second, edited"));
    notes.pickColor(QStringLiteral("#64D2FF"));
    EXPECT_TRUE(notes.colorList()[1].toMap().value(QStringLiteral("selected")).toBool());

    WorkspaceStorage reread(defaults, manager, center);
    ASSERT_EQ(reread.stickyNotes().size(), 2);
    EXPECT_EQ(reread.stickyNotes()[1].text, QStringLiteral("second, edited"));
    EXPECT_EQ(reread.stickyNotes()[1].colorHex, QStringLiteral("#64D2FF"));
    EXPECT_EQ(reread.stickyNotes()[0].text, QStringLiteral("first"));
}

TEST_F(StickyNotesTest, IndexIsClampedWhenAWorkspaceSwitchShortensTheList)
{
    setTexts({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") });
    const QUuid first = manager.activeWorkspaceID();
    notes.nextNote();
    notes.nextNote();
    QSignalSpy changed(&notes, &StickyNotesController::changed);

    manager.createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#FF0000"));
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(notes.activeIndex(), 1); // the starter notes: two
    EXPECT_EQ(notes.noteText(), storage.stickyNotes()[1].text);
    setTexts({});
    EXPECT_EQ(notes.activeIndex(), 0);
    EXPECT_TRUE(notes.noteText().isEmpty());
    notes.setNoteText(QStringLiteral("typed into nothing"));
    notes.pickColor(QStringLiteral("#30D158"));
    EXPECT_TRUE(storage.stickyNotes().isEmpty());

    manager.setActiveWorkspaceID(first);
    EXPECT_EQ(notes.noteText(), QStringLiteral("a"));
}

} // namespace
