#include "shell/FolderShortcutMonitor.h"

#include "platform/gui/KeyDownMonitor.h"

#include "GridFixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>

using namespace brimlark;

namespace {

bool shortcutOverrideAccepted(QObject &target, Qt::Key key)
{
    QKeyEvent query(QEvent::ShortcutOverride, key, Qt::ControlModifier);
    query.ignore();
    QCoreApplication::sendEvent(&target, &query);
    return query.isAccepted();
}

} // namespace

// The application-wide monitor answers the shortcut-override query, so the
// folder shortcut wins over menu key equivalents; without the view model it
// passes every key on.
TEST(FolderShortcutMonitor, TakesTheShortcutBeforeMenus)
{
    auto fixture = std::make_unique<test::GridFixture>();
    fixture->publish(QStringList { QStringLiteral("Alpha"), QStringLiteral("Bravo") });
    fixture->makeFolder(QStringLiteral("Work"));
    KeyDownMonitor::setTextInputFocusPredicate([] { return false; });
    installFolderShortcutMonitor(fixture->vm());
    QObject target;

    EXPECT_TRUE(shortcutOverrideAccepted(target, Qt::Key_W));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(QCoreApplication::sendEvent(&target, &press));
    ASSERT_TRUE(fixture->vm().selection().has_value());
    EXPECT_EQ(fixture->vm().selection(), SidebarSelection::ofFolder(fixture->folder(QStringLiteral("Work"))));
    EXPECT_FALSE(shortcutOverrideAccepted(target, Qt::Key_Q));

    fixture.reset();
    EXPECT_FALSE(shortcutOverrideAccepted(target, Qt::Key_W));
    KeyDownMonitor::setTextInputFocusPredicate({});
}
