#include "platform/gui/KeyDownMonitor.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>

using namespace brimlark;

namespace {

struct Recorder
{
    std::vector<KeyDownEvent> claimed;
    std::vector<KeyDownEvent> handled;
    bool answer = false;

    KeyDownMonitor::Handlers handlers()
    {
        return { [this](const KeyDownEvent &e) {
                    claimed.push_back(e);
                    return answer;
                },
            [this](const KeyDownEvent &e) {
                handled.push_back(e);
                return answer;
            } };
    }
};

class FocusOverride
{
public:
    explicit FocusOverride(bool focused)
    {
        KeyDownMonitor::setTextInputFocusPredicate([focused] { return focused; });
    }
    ~FocusOverride() { KeyDownMonitor::setTextInputFocusPredicate({}); }
};

} // namespace

TEST(KeyDownMonitor, TranslatesModifiersAndCharacters)
{
    FocusOverride focus(false);
    const struct
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 nativeModifiers;
        quint32 flags;
        QString characters;
    } rows[] = {
        { Qt::Key_A, Qt::ControlModifier, 0, KeyModifier::command, QStringLiteral("a") },
        { Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier, 0, KeyModifier::command | KeyModifier::shift,
            QStringLiteral("w") },
        { Qt::Key_N, Qt::ControlModifier | Qt::AltModifier, 0, KeyModifier::command | KeyModifier::option,
            QStringLiteral("n") },
        { Qt::Key_B, Qt::ControlModifier | Qt::MetaModifier, 0, KeyModifier::command | KeyModifier::control,
            QStringLiteral("b") },
        { Qt::Key_C, Qt::ControlModifier, 0x2, KeyModifier::command | KeyModifier::capsLock,
            QStringLiteral("c") },
        { Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier, 0,
            KeyModifier::command | KeyModifier::numericPad, QStringLiteral("1") },
        { Qt::Key_Escape, Qt::NoModifier, 0, 0, QString() },
        { Qt::Key_F5, Qt::ControlModifier, 0, KeyModifier::command, QString() },
    };
    for (const auto &row : rows) {
        QKeyEvent e(QEvent::KeyPress, row.key, row.modifiers, 0, 0, row.nativeModifiers);
        const auto t = KeyDownMonitor::translate(e);
        ASSERT_TRUE(t.has_value());
        EXPECT_EQ(t->modifierFlags, row.flags) << row.key;
        EXPECT_EQ(t->charactersIgnoringModifiers, row.characters) << row.key;
        EXPECT_EQ(t->modifierFlags & ~KeyModifier::deviceIndependentMask, 0u);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(KeyDownMonitor::translate(release).has_value());
}

TEST(KeyDownMonitor, ReportsTextInputFocusFromThePredicate)
{
    QKeyEvent e(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    {
        FocusOverride focus(true);
        EXPECT_TRUE(KeyDownMonitor::translate(e)->textInputHasFocus);
    }
    {
        FocusOverride focus(false);
        EXPECT_FALSE(KeyDownMonitor::translate(e)->textInputHasFocus);
    }
    // Without a GUI application and a predicate there is no focus object.
    EXPECT_FALSE(KeyDownMonitor::translate(e)->textInputHasFocus);
}

TEST(KeyDownMonitor, ApplicationWideFilterConsumesOnlyWhatTheHandlerTakes)
{
    FocusOverride focus(false);
    Recorder recorder;
    KeyDownMonitor *monitor = KeyDownMonitor::install(recorder.handlers());
    QObject target;

    // Declined: the override is left for shortcuts, the press goes on.
    QKeyEvent override1(QEvent::ShortcutOverride, Qt::Key_Q, Qt::ControlModifier);
    override1.ignore();
    QCoreApplication::sendEvent(&target, &override1);
    EXPECT_FALSE(override1.isAccepted());
    QKeyEvent press1(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(monitor->eventFilter(&target, &press1));
    EXPECT_EQ(recorder.claimed.size(), 1u);
    EXPECT_EQ(recorder.handled.size(), 1u);

    // Taken: the override is claimed (no menu shortcut fires) and the press
    // is consumed.
    recorder.answer = true;
    QKeyEvent override2(QEvent::ShortcutOverride, Qt::Key_W, Qt::ControlModifier);
    override2.ignore();
    EXPECT_TRUE(monitor->eventFilter(&target, &override2));
    EXPECT_TRUE(override2.isAccepted());
    EXPECT_EQ(recorder.handled.size(), 1u); // claiming does not act
    QKeyEvent press2(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(monitor->eventFilter(&target, &press2));
    ASSERT_EQ(recorder.handled.size(), 2u);
    EXPECT_EQ(recorder.handled.back().charactersIgnoringModifiers, QStringLiteral("w"));

    // Other events never reach the handler.
    QEvent other(QEvent::User);
    EXPECT_FALSE(monitor->eventFilter(&target, &other));
    EXPECT_EQ(recorder.claimed.size() + recorder.handled.size(), 4u);

    QCoreApplication::instance()->removeEventFilter(monitor);
    delete monitor;
}
