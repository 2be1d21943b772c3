#include "ToolsFixture.h"
#include "shell/BrimlarkApp.h"
#include "support/AccessibleTree.h"
#include "tools/CodeSnippetsController.h"
#include "tools/ColorPickerController.h"
#include "tools/DeskTools.h"
#include "tools/MeasurePopoverController.h"
#include "tools/QRGeneratorController.h"
#include "tools/StickyNotesController.h"

#include <QAccessible>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

#include <gtest/gtest.h>

#include <memory>

using namespace brimlark;

namespace {

using Node = test::AccessibleNode;
constexpr auto collect = test::collectAccessibleNodes;

// Each popover built from its module with the controller the desk tools
// make for the toolbar; the checks follow the controller's state into the
// view and into the tree a screen reader walks.
class ToolsViewsTest : public ::testing::Test
{
protected:
    ToolsViewsTest() { BrimlarkApp::prepareEngine(engine); }
    void SetUp() override { ASSERT_TRUE(test::accessibilityBridgeActive()) << test::bridgeInactiveMessage; }

    std::unique_ptr<QQuickItem> make(const char *view, QObject *controller)
    {
        QQmlComponent component(&engine);
        component.setData("import Brimlark.Tools\n" + QByteArray(view) + " {}\n", QUrl());
        std::unique_ptr<QObject> object(component.createWithInitialProperties(
            { { QStringLiteral("controller"), QVariant::fromValue(controller) } }));
        EXPECT_TRUE(object) << component.errorString().toStdString();
        return std::unique_ptr<QQuickItem>(qobject_cast<QQuickItem *>(object.release()));
    }
    static bool visible(QQuickItem *root, const char *name)
    {
        auto *item = root->findChild<QQuickItem *>(QString::fromLatin1(name));
        return item && item->isVisible();
    }
    QList<Node> shown(const char *view, QObject *controller)
    {
        m_view = make(view, controller);
        EXPECT_TRUE(m_view);
        m_view->setParentItem(m_window.contentItem());
        m_window.resize(400, 600);
        m_window.show();
        return tree();
    }
    QList<Node> tree()
    {
        QCoreApplication::processEvents();
        m_view->polish();
        QList<Node> nodes;
        collect(QAccessible::queryAccessibleInterface(&m_window), nodes);
        return nodes;
    }
    QAccessibleInterface *accessible(const char *name) const
    {
        return QAccessible::queryAccessibleInterface(
            m_view->findChild<QQuickItem *>(QString::fromLatin1(name)));
    }
    static const Node *find(const QList<Node> &nodes, QAccessible::Role role, const QString &name)
    {
        for (const Node &n : nodes) {
            if (n.role == role && n.name == name) {
                return &n;
            }
        }
        return nullptr;
    }

    QQmlEngine engine;
    test::ToolsFixture tools;
    QObject owner;
    DeskTools &desk = *tools.deskTools();
    QQuickWindow m_window;
    std::unique_ptr<QQuickItem> m_view;
};

TEST_F(ToolsViewsTest, PopoversShowTheirStates)
{
    QRGeneratorController &qr = *desk.makeQRGenerator(&owner);
    auto qrView = make("QRGeneratorPopoverView", &qr);
    ASSERT_TRUE(qrView);
    EXPECT_TRUE(visible(qrView.get(), "qrEmptyState"));
    qr.setText(QStringLiteral("https://example.org"));
    EXPECT_TRUE(visible(qrView.get(), "qrPreview"));
    EXPECT_FALSE(visible(qrView.get(), "qrEmptyState"));
    EXPECT_EQ(qrView->implicitWidth(), 260 + 32);

    tools.setNotes({ QStringLiteral("first") });
    auto notesView = make("StickyNotesPopoverView", desk.makeStickyNotes(&owner));
    ASSERT_TRUE(notesView);
    EXPECT_EQ(notesView->findChild<QObject *>(QStringLiteral("noteEditor"))->property("text").toString(),
        QStringLiteral("first"));
    tools.setNotes({});
    EXPECT_TRUE(visible(notesView.get(), "notesEmptyState"));

    CodeSnippetsController &snippets = *desk.makeCodeSnippets(&owner);
    auto snippetsView = make("CodeSnippetsPopoverView", &snippets);
    ASSERT_TRUE(snippetsView);
    EXPECT_TRUE(visible(snippetsView.get(), "snippetList"));
    snippets.toggleCreateForm();
    EXPECT_TRUE(visible(snippetsView.get(), "snippetForm"));
    EXPECT_FALSE(visible(snippetsView.get(), "snippetList"));
}

TEST_F(ToolsViewsTest, ThePagerAndDeleteButtonsTellAssistiveTechnologyWhenTheyAreDisabled)
{
    StickyNotesController &notes = *desk.makeStickyNotes(&owner);
    tools.setNotes({ QStringLiteral("one"), QStringLiteral("two") });
    shown("StickyNotesPopoverView", &notes);
    const auto disabled = [&](const char *name) {
        QAccessibleInterface *button = accessible(name);
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
    QAccessibleInterface *remove = accessible("deleteNoteButton");
    ASSERT_TRUE(remove && remove->actionInterface());
    EXPECT_TRUE(remove->actionInterface()->actionNames().isEmpty());
    EXPECT_EQ(remove->role(), QAccessible::Button);
    EXPECT_EQ(remove->text(QAccessible::Name), QStringLiteral("Delete Note"));
    // Still in the tree a screen reader walks.
    QAccessibleInterface *parent = remove->parent();
    ASSERT_TRUE(parent);
    EXPECT_GE(parent->indexOfChild(remove), 0);
    remove->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QAccessibleInterface *add = accessible("addNoteButton");
    ASSERT_TRUE(add && add->actionInterface());
    add->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(tools.noteTexts(), QStringList { QString() });
    EXPECT_FALSE(disabled("deleteNoteButton"));
}

// Headings, messages, empty states and copy confirmations, each named by
// its text; a confirmation is an alert, announced as it appears.
TEST_F(ToolsViewsTest, TextsThatCarryInformationAreNamedByTheirText)
{
    tools.setRecentColors({ QStringLiteral("#112233") });
    ColorPickerController &picker = *desk.makeColorPicker(&owner);
    QList<Node> nodes = shown("ColorPickerPopoverView", &picker);
    EXPECT_TRUE(find(nodes, QAccessible::Heading, QStringLiteral("Color Picker")));
    EXPECT_TRUE(find(nodes, QAccessible::Heading, QStringLiteral("Recent Colors")));
    EXPECT_TRUE(find(nodes, QAccessible::StaticText,
        picker.unavailableReason().isEmpty() ? QStringLiteral("Capture any pixel on your desktop screen.")
                                             : picker.unavailableReason()));
    EXPECT_FALSE(find(nodes, QAccessible::AlertMessage, QStringLiteral("HEX Copied!")));
    picker.copyRecentColor(QStringLiteral("#112233"));
    nodes = tree();
    EXPECT_TRUE(find(nodes, QAccessible::AlertMessage, QStringLiteral("HEX Copied!")));
    EXPECT_TRUE(find(nodes, QAccessible::StaticText, QStringLiteral("#112233")));

    tools.setNotes({});
    nodes = shown("StickyNotesPopoverView", desk.makeStickyNotes(&owner));
    EXPECT_TRUE(find(nodes, QAccessible::Heading, QStringLiteral("Sticky Notes")));
    EXPECT_TRUE(find(nodes, QAccessible::StaticText, QStringLiteral("No notes found. Create one!")));

    CodeSnippetsController &snippets = *desk.makeCodeSnippets(&owner);
    tools.setSnippets({ QVariantMap { { QStringLiteral("title"), QStringLiteral("Alpha") },
        { QStringLiteral("code"), QStringLiteral("a()") },
        { QStringLiteral("language"), QStringLiteral("JS") } } });
    nodes = shown("CodeSnippetsPopoverView", &snippets);
    EXPECT_TRUE(find(nodes, QAccessible::Heading, QStringLiteral("Code Snippets")));
    snippets.copy(snippets.filteredSnippets().at(0).id.toString(QUuid::WithoutBraces));
    EXPECT_TRUE(find(tree(), QAccessible::AlertMessage, QStringLiteral("Snippet Copied!")));

    // The ruler's size, as it shows it.
    QQmlComponent ruler(&engine);
    ruler.setData("import Brimlark.Tools\nRulerView { width: 400; height: 300 }\n", QUrl());
    m_view.reset(qobject_cast<QQuickItem *>(ruler.create()));
    ASSERT_TRUE(m_view) << ruler.errorString().toStdString();
    m_view->setParentItem(m_window.contentItem());
    nodes = tree();
    EXPECT_TRUE(find(nodes, QAccessible::StaticText, QStringLiteral("Width 400 px")));
    EXPECT_TRUE(find(nodes, QAccessible::StaticText, QStringLiteral("Height 300 px")));
}

// A field has a name, and text written through the accessibility interface
// reaches the popover's state as typed text does.
TEST_F(ToolsViewsTest, AFieldIsNamedAndTakesTextFromAssistiveTechnology)
{
    QRGeneratorController &qr = *desk.makeQRGenerator(&owner);
    const QList<Node> nodes = shown("QRGeneratorPopoverView", &qr);
    const Node *field = find(nodes, QAccessible::EditableText, QStringLiteral("Type URL or text..."));
    ASSERT_TRUE(field);
    EXPECT_TRUE(find(nodes, QAccessible::StaticText, QStringLiteral("Enter text above to preview QR")));
    field->iface->setText(QAccessible::Value, QStringLiteral("https://example.org"));
    EXPECT_EQ(qr.text(), QStringLiteral("https://example.org"));
    EXPECT_TRUE(find(tree(), QAccessible::Graphic, QStringLiteral("QR code, drag to export")));
}

// The chosen paper colour is the one checked; the others are not.
TEST_F(ToolsViewsTest, TheChosenSwatchIsChecked)
{
    tools.setNotes({ QStringLiteral("one") });
    StickyNotesController &notes = *desk.makeStickyNotes(&owner);
    QList<Node> nodes = shown("StickyNotesPopoverView", &notes);
    for (const auto &[name, checked] :
        { std::pair { "Yellow", true }, { "Blue", false }, { "Pink", false } }) {
        const Node *swatch = find(nodes, QAccessible::RadioButton, QString::fromLatin1(name));
        ASSERT_TRUE(swatch) << name;
        EXPECT_TRUE(swatch->state.checkable) << name;
        EXPECT_EQ(bool(swatch->state.checked), checked) << name;
    }
    notes.pickColor(QStringLiteral("#64D2FF"));
    nodes = tree();
    EXPECT_TRUE(find(nodes, QAccessible::RadioButton, QStringLiteral("Blue"))->state.checked);
    EXPECT_FALSE(find(nodes, QAccessible::RadioButton, QStringLiteral("Yellow"))->state.checked);
}

// Rows kept beyond the list's edge are not in the tree; the rows on screen are.
TEST_F(ToolsViewsTest, OnlyRowsOnScreenAreInTheTree)
{
    QStringList texts;
    for (int i = 1; i <= 10; ++i) {
        texts << QStringLiteral("%1 \u00D7 100 px").arg(i * 100);
    }
    tools.setRecentMeasurements(texts);
    const QList<Node> nodes = shown("MeasurePopoverView", desk.makeMeasurePopover(&owner));
    auto *list = m_view->findChild<QQuickItem *>(QStringLiteral("measurementList"));
    ASSERT_TRUE(list);
    int onScreen = 0;
    for (const QString &text : texts) {
        const bool listed = find(nodes, QAccessible::Button, text);
        onScreen += listed;
        // The first rows are on screen, the ones past the edge are not.
        EXPECT_EQ(listed, onScreen == texts.indexOf(text) + 1) << text.toStdString();
    }
    EXPECT_GT(onScreen, 2);
    EXPECT_LT(onScreen, texts.size());
    EXPECT_TRUE(find(nodes, QAccessible::Heading, QStringLiteral("Measure Ruler")));
}

} // namespace
