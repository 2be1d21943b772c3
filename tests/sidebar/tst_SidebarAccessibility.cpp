#include "SidebarFixture.h"
#include "shell/BrimlarkApp.h"
#include "sidebar/SidebarController.h"
#include "support/AccessibleTree.h"

#include <QAccessible>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace brimlark;

namespace {

using Node = test::AccessibleNode;
constexpr auto collect = test::collectAccessibleNodes;

// The sidebar as the window shows it, with assistive technology on.
class SidebarAccessibilityTest : public ::testing::Test
{
protected:
    SidebarAccessibilityTest() { BrimlarkApp::prepareEngine(engine); }
    void SetUp() override { ASSERT_TRUE(test::accessibilityBridgeActive()) << test::bridgeInactiveMessage; }
    ~SidebarAccessibilityTest() override
    {
        view.reset();
        // The software scene graph frees the textures of released images
        // only at its next frame: render one, or they leak at exit.
        window.releaseResources();
        (void)window.grabWindow();
    }

    void show()
    {
        QQmlComponent component(&engine);
        component.setData("import Brimlark.Sidebar\nSidebarView { width: 240; height: 500 }\n", QUrl());
        view.reset(qobject_cast<QQuickItem *>(component.createWithInitialProperties(
            { { QStringLiteral("viewModel"), QVariant::fromValue(fixture.viewModel()) },
                { QStringLiteral("workspaceManager"), QVariant::fromValue(fixture.workspaceManager()) } })));
        ASSERT_TRUE(view) << component.errorString().toStdString();
        view->setParentItem(window.contentItem());
        window.resize(900, 500);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QObject *controller() const { return view->property("controller").value<QObject *>(); }
    // An item of the window by name, popups and delegates included.
    QQuickItem *find(const QString &name, QQuickItem *from = nullptr) const
    {
        from = from ? from : window.contentItem();
        if (from->objectName() == name) {
            return from;
        }
        for (QQuickItem *child : from->childItems()) {
            if (QQuickItem *found = find(name, child)) {
                return found;
            }
        }
        return nullptr;
    }
    // The tree once what was asked for has been laid out and drawn.
    QList<Node> tree()
    {
        QTest::qWait(0);
        QCoreApplication::processEvents();
        QList<Node> nodes;
        collect(QAccessible::queryAccessibleInterface(&window), nodes);
        return nodes;
    }
    // The tree once `surface` (a popup, by object name) is open.
    QList<Node> treeWith(const char *surface)
    {
        QObject *popup = nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            popup = view->findChild<QObject *>(QString::fromLatin1(surface));
            return popup && popup->property("opened").toBool();
        })) << surface;
        return tree();
    }
    static const Node *node(const QList<Node> &nodes, QAccessible::Role role, const QString &name)
    {
        for (const Node &n : nodes) {
            if (n.role == role && n.name == name) {
                return &n;
            }
        }
        return nullptr;
    }
    static QStringList children(const Node &n)
    {
        QStringList out;
        for (int i = 0; i < n.iface->childCount(); ++i) {
            out << n.iface->child(i)->text(QAccessible::Name);
        }
        return out;
    }
    void trigger(SidebarController::FolderAction action, const AppFolder &folder)
    {
        qobject_cast<SidebarController *>(controller())->triggerMenu(action, folder);
    }

    test::SidebarFixture fixture;
    QQmlEngine engine;
    QQuickWindow window;
    std::unique_ptr<QQuickItem> view;
};

// Headings, a sheet's title, the pickers' headings and every field, each
// named by its text.
TEST_F(SidebarAccessibilityTest, HeadingsAndFieldsAreNamedByTheirText)
{
    const AppFolder work = fixture.makeFolder(QStringLiteral("Work"));
    show();
    QList<Node> nodes = tree();
    EXPECT_TRUE(node(nodes, QAccessible::Heading, QStringLiteral("Library")));
    EXPECT_TRUE(node(nodes, QAccessible::Heading, QStringLiteral("Folders")));

    QMetaObject::invokeMethod(controller(), "newFolder");
    nodes = treeWith("createFolderSheet");
    EXPECT_TRUE(node(nodes, QAccessible::Heading, QStringLiteral("Create Folder")));
    EXPECT_TRUE(node(nodes, QAccessible::EditableText, QStringLiteral("Folder Name")));
    QMetaObject::invokeMethod(controller(), "cancelCreateFolder");

    trigger(SidebarController::FolderAction::changeColor, work);
    nodes = treeWith("colorPopover");
    EXPECT_TRUE(node(nodes, QAccessible::Heading, QStringLiteral("Select Folder Color")));
    for (const char *name : { "HEX", "R", "G", "B", "A" }) {
        EXPECT_TRUE(node(nodes, QAccessible::EditableText, QString::fromLatin1(name))) << name;
    }
    trigger(SidebarController::FolderAction::changeIcon, work);
    EXPECT_TRUE(node(treeWith("iconPopover"), QAccessible::Heading, QStringLiteral("Select Folder Icon")));
}

// Text written through the editable-text interface reaches the colour
// picker as typed text does.
TEST_F(SidebarAccessibilityTest, FieldsTakeTextFromAssistiveTechnology)
{
    const AppFolder work = fixture.makeFolder(QStringLiteral("Work"));
    show();
    trigger(SidebarController::FolderAction::changeColor, work);
    (void)treeWith("colorPopover");
    QObject *picker = find(QStringLiteral("colorWheel"))
                          ->parentItem()
                          ->parentItem()
                          ->property("picker")
                          .value<QObject *>();
    ASSERT_TRUE(picker);
    for (const auto &[field, property, text] : { std::tuple { "hexField", "hexText", "#123456" },
             { "fieldR", "rText", "12" }, { "fieldA", "aText", "0.5" } }) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(find(QString::fromLatin1(field)));
        ASSERT_TRUE(iface) << field;
        // As assistive technology writes a field: by its editable text where
        // Qt offers one, else by its value.
        if (auto *editable = iface->editableTextInterface()) {
            editable->replaceText(0, iface->textInterface()->characterCount(), QString::fromLatin1(text));
        } else {
            iface->setText(QAccessible::Value, QString::fromLatin1(text));
        }
        EXPECT_EQ(picker->property(property).toString(), QString::fromLatin1(text)) << field;
    }
}

// The delete confirmation is an alert named by its title; its sentence is
// a text inside it.
TEST_F(SidebarAccessibilityTest, TheDeleteConfirmationIsAnAlertThatReadsItsSentence)
{
    const AppFolder work = fixture.makeFolder(QStringLiteral("Work"));
    show();
    trigger(SidebarController::FolderAction::deleteFolder, work);
    const QList<Node> nodes = treeWith("deleteFolderAlert");
    const Node *alert = node(nodes, QAccessible::AlertMessage, QStringLiteral("Delete Folder"));
    ASSERT_TRUE(alert);
    EXPECT_TRUE(children(*alert).contains(
        QStringLiteral("Are you sure you want to delete 'Work'? This action cannot be undone.")));
    EXPECT_TRUE(node(nodes, QAccessible::Button, QStringLiteral("Delete")));
    EXPECT_TRUE(node(nodes, QAccessible::Button, QStringLiteral("Cancel")));
}

// The row the grid shows is the selected one.
TEST_F(SidebarAccessibilityTest, TheSelectedRowReportsItselfSelected)
{
    fixture.makeFolder(QStringLiteral("Work"));
    show();
    QList<Node> nodes = tree();
    for (const char *title : { "All Apps", "Favorites", "Work" }) {
        const Node *row = node(nodes, QAccessible::ListItem, QString::fromLatin1(title));
        ASSERT_TRUE(row) << title;
        EXPECT_TRUE(row->state.selectable) << title;
        EXPECT_EQ(bool(row->state.selected), std::string(title) == "All Apps") << title;
    }
    node(nodes, QAccessible::ListItem, QStringLiteral("Work"))
        ->iface->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    nodes = tree();
    EXPECT_TRUE(node(nodes, QAccessible::ListItem, QStringLiteral("Work"))->state.selected);
    EXPECT_FALSE(node(nodes, QAccessible::ListItem, QStringLiteral("All Apps"))->state.selected);
}

// The chosen swatch and icon of a sheet, and the picker's preset and cell
// of the folder's colour and icon, are checked; the others are not.
TEST_F(SidebarAccessibilityTest, TheChosenSwatchAndIconAreChecked)
{
    const AppFolder work = fixture.makeFolder(QStringLiteral("Work"));
    show();
    const auto checkedOf
        = [](const QList<Node> &nodes, const char *name, QAccessible::Role role = QAccessible::RadioButton) {
              const Node *n = node(nodes, role, QString::fromLatin1(name));
              EXPECT_TRUE(n) << name;

              EXPECT_TRUE(n && n->state.checkable) << name;
              return n && n->state.checked;
          };
    QMetaObject::invokeMethod(controller(), "beginCreateWorkspace");
    QList<Node> nodes = treeWith("createWorkspaceSheet");
    EXPECT_TRUE(checkedOf(nodes, "Blue"));
    EXPECT_FALSE(checkedOf(nodes, "Red"));
    EXPECT_TRUE(checkedOf(nodes, "briefcase.fill"));
    EXPECT_FALSE(checkedOf(nodes, "house.fill"));
    controller()->setProperty("selectedWorkspaceColor", QStringLiteral("#FF3B30"));
    nodes = tree();
    EXPECT_FALSE(checkedOf(nodes, "Blue"));
    EXPECT_TRUE(checkedOf(nodes, "Red"));
    QMetaObject::invokeMethod(controller(), "cancelCreateWorkspace");

    fixture.finder.setFolderColor(fixture.folder(QStringLiteral("Work")), QStringLiteral("#34C759"));
    fixture.finder.setFolderIcon(fixture.folder(QStringLiteral("Work")), QStringLiteral("house"));
    trigger(SidebarController::FolderAction::changeColor, work);
    nodes = treeWith("colorPopover");
    EXPECT_TRUE(checkedOf(nodes, "Green"));
    EXPECT_FALSE(checkedOf(nodes, "Blue"));
    trigger(SidebarController::FolderAction::changeIcon, work);
    nodes = treeWith("iconPopover");
    EXPECT_TRUE(checkedOf(nodes, "house"));
    EXPECT_FALSE(checkedOf(nodes, "folder"));
    // The mode is a pair of toggles.
    EXPECT_TRUE(checkedOf(nodes, "Outline", QAccessible::CheckBox));
    EXPECT_FALSE(checkedOf(nodes, "Filled", QAccessible::CheckBox));
    // The switcher's menu ticks the active workspace (a new one is active).
    fixture.workspaces.createWorkspace(
        QStringLiteral("Travel"), QStringLiteral("airplane"), QStringLiteral("#FF3B30"));
    QMetaObject::invokeMethod(find(QStringLiteral("workspaceSwitcher")), "openMenu");
    nodes = treeWith("workspaceMenu");
    EXPECT_TRUE(checkedOf(nodes, "Travel", QAccessible::MenuItem));
    EXPECT_FALSE(checkedOf(nodes, "Default", QAccessible::MenuItem));
}

// Rows beyond the sidebar's scrolled edge, and icon cells beyond the
// picker's, are not in the tree until they are scrolled to.
TEST_F(SidebarAccessibilityTest, OnlyRowsAndCellsOnScreenAreInTheTree)
{
    AppFolder last;
    for (int i = 0; i < 40; ++i) {
        last = fixture.makeFolder(QStringLiteral("F%1").arg(i));
    }
    show();
    QList<Node> nodes = tree();
    EXPECT_TRUE(node(nodes, QAccessible::ListItem, QStringLiteral("F0")));
    EXPECT_FALSE(node(nodes, QAccessible::ListItem, QStringLiteral("F39")));
    auto *scroll
        = qobject_cast<QQuickItem *>(find(QStringLiteral("sidebarList"))->parentItem()->parentItem());
    ASSERT_TRUE(scroll && scroll->inherits("QQuickFlickable"));
    scroll->setProperty("contentY", scroll->property("contentHeight").toReal() - scroll->height());
    nodes = tree();
    EXPECT_FALSE(node(nodes, QAccessible::ListItem, QStringLiteral("All Apps")));
    EXPECT_TRUE(node(nodes, QAccessible::ListItem, QStringLiteral("F39")));
    // Rows made anew by a change (a pin) are placed before the rule is read.
    trigger(SidebarController::FolderAction::pin, last);
    nodes = tree();
    EXPECT_TRUE(node(nodes, QAccessible::ListItem, QStringLiteral("F38")));

    trigger(SidebarController::FolderAction::changeIcon, fixture.makeFolder(QStringLiteral("Work")));
    nodes = treeWith("iconPopover");
    EXPECT_TRUE(node(nodes, QAccessible::RadioButton, QStringLiteral("folder")));
    EXPECT_FALSE(node(nodes, QAccessible::RadioButton, QStringLiteral("cube")));
    // So are the cells made anew by the other mode.
    QQuickItem *filled = find(QStringLiteral("iconModeFilled"));
    ASSERT_TRUE(filled);
    QMetaObject::invokeMethod(filled, "clicked");
    nodes = tree();
    EXPECT_TRUE(node(nodes, QAccessible::RadioButton, QStringLiteral("folder.fill")));
    EXPECT_FALSE(node(nodes, QAccessible::RadioButton, QStringLiteral("cube.fill")));
}

} // namespace
