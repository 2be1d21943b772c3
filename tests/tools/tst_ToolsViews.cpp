#include "ToolsFixture.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "shell/BrimlarkApp.h"
#include "support/ManualScheduler.h"
#include "tools/CodeSnippetsController.h"
#include "tools/DeskTools.h"
#include "tools/QRGeneratorController.h"
#include "tools/StickyNotesController.h"

#include <QAccessible>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace brimlark;

namespace {

// Each popover built from its module with its controller, as the toolbar
// will show it; the checks follow the controller's state into the view.
class ToolsViewsTest : public ::testing::Test
{
protected:
    ToolsViewsTest() { BrimlarkApp::prepareEngine(engine); }

    std::unique_ptr<QQuickItem> make(const char *view, QObject *controller)
    {
        QQmlComponent component(&engine);
        component.setData("import Brimlark.Tools\n" + QByteArray(view) + " {}\n", QUrl());
        std::unique_ptr<QObject> object(component.createWithInitialProperties(
            { { QStringLiteral("controller"), QVariant::fromValue(controller) } }));
        EXPECT_TRUE(object) << component.errorString().toStdString();
        return std::unique_ptr<QQuickItem>(qobject_cast<QQuickItem *>(object.release()));
    }
    static bool shown(QQuickItem *root, const char *name)
    {
        auto *item = root->findChild<QQuickItem *>(QString::fromLatin1(name));
        return item && item->isVisible();
    }

    QQmlEngine engine;
    QTemporaryDir dir;
    ManualScheduler scheduler;
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager manager { defaults, center };
    WorkspaceStorage storage { defaults, manager, center };
};

TEST_F(ToolsViewsTest, PopoversShowTheirStates)
{
    QRGeneratorController qr(dir.path(), scheduler);
    auto qrView = make("QRGeneratorPopoverView", &qr);
    ASSERT_TRUE(qrView);
    EXPECT_TRUE(shown(qrView.get(), "qrEmptyState"));
    qr.setText(QStringLiteral("https://example.org"));
    EXPECT_TRUE(shown(qrView.get(), "qrPreview"));
    EXPECT_FALSE(shown(qrView.get(), "qrEmptyState"));
    EXPECT_EQ(qrView->implicitWidth(), 260 + 32);

    StickyNotesController notes(storage);
    auto notesView = make("StickyNotesPopoverView", &notes);
    ASSERT_TRUE(notesView);
    EXPECT_EQ(notesView->findChild<QObject *>(QStringLiteral("noteEditor"))->property("text").toString(),
        storage.stickyNotes()[0].text);
    storage.setStickyNotes({});
    EXPECT_TRUE(shown(notesView.get(), "notesEmptyState"));

    CodeSnippetsController snippets(storage, scheduler);
    auto snippetsView = make("CodeSnippetsPopoverView", &snippets);
    ASSERT_TRUE(snippetsView);
    EXPECT_TRUE(shown(snippetsView.get(), "snippetList"));
    snippets.toggleCreateForm();
    EXPECT_TRUE(shown(snippetsView.get(), "snippetForm"));
    EXPECT_FALSE(shown(snippetsView.get(), "snippetList"));
}

TEST_F(ToolsViewsTest, ThePagerAndDeleteButtonsTellAssistiveTechnologyWhenTheyAreDisabled)
{
    // Made as the toolbar makes it, by the desk tools.
    test::ToolsFixture tools;
    QObject owner;
    StickyNotesController &notes
        = *static_cast<DeskTools *>(tools.deskToolsObject())->makeStickyNotes(&owner);
    tools.setNotes({ QStringLiteral("one"), QStringLiteral("two") });
    QQuickWindow window;
    auto view = make("StickyNotesPopoverView", &notes);
    ASSERT_TRUE(view);
    view->setParentItem(window.contentItem());
    window.resize(400, 400);
    window.show();
    const auto disabled = [&](const char *name) {
        QAccessibleInterface *button
            = QAccessible::queryAccessibleInterface(view->findChild<QQuickItem *>(QString::fromLatin1(name)));
        EXPECT_TRUE(button) << name;
        return button ? button->state().disabled : false;
    };
    // Two notes, the first shown: only "Previous Note" is disabled.
    EXPECT_TRUE(disabled("previousNoteButton"));
    EXPECT_FALSE(disabled("nextNoteButton"));
    EXPECT_FALSE(disabled("deleteNoteButton"));
    notes.nextNote();
    EXPECT_FALSE(disabled("previousNoteButton"));
    EXPECT_TRUE(disabled("nextNoteButton"));
    tools.setNotes({});
    EXPECT_TRUE(disabled("deleteNoteButton"));
    EXPECT_FALSE(disabled("addNoteButton"));
    // A disabled button offers no press either.
    QAccessibleInterface *remove = QAccessible::queryAccessibleInterface(
        view->findChild<QQuickItem *>(QStringLiteral("deleteNoteButton")));
    ASSERT_TRUE(remove && remove->actionInterface());
    EXPECT_TRUE(remove->actionInterface()->actionNames().isEmpty());
    EXPECT_EQ(remove->role(), QAccessible::Button);
    EXPECT_EQ(remove->text(QAccessible::Name), QStringLiteral("Delete Note"));
    // Still in the tree a screen reader walks.
    QAccessibleInterface *parent = remove->parent();
    ASSERT_TRUE(parent);
    EXPECT_GE(parent->indexOfChild(remove), 0);
    remove->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QAccessibleInterface *add = QAccessible::queryAccessibleInterface(
        view->findChild<QQuickItem *>(QStringLiteral("addNoteButton")));
    ASSERT_TRUE(add && add->actionInterface());
    add->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(tools.noteTexts(), QStringList { QString() });
    EXPECT_FALSE(disabled("deleteNoteButton"));
}

} // namespace
