#include "views/KeyCommands.h"

#include <gtest/gtest.h>

using brimlark::KeyCommands;
using C = KeyCommands::Command;

namespace {

// One key, one meaning, in every view; modifiers other than Shift (and the
// keypad's) take every meaning away.
TEST(KeyCommands, EachKeyMeansOneCommand)
{
    const struct
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        C expected;
    } cases[] = {
        { Qt::Key_Return, Qt::NoModifier, C::Activate },
        { Qt::Key_Enter, Qt::KeypadModifier, C::Activate },
        { Qt::Key_Space, Qt::NoModifier, C::Activate },
        { Qt::Key_Space, Qt::ShiftModifier, C::None },
        { Qt::Key_Menu, Qt::NoModifier, C::ContextMenu },
        { Qt::Key_F10, Qt::ShiftModifier, C::ContextMenu },
        { Qt::Key_F10, Qt::NoModifier, C::None },
        { Qt::Key_F10, Qt::ControlModifier, C::None },
        { Qt::Key_Left, Qt::NoModifier, C::Previous },
        { Qt::Key_Down, Qt::NoModifier, C::Down },
        { Qt::Key_End, Qt::NoModifier, C::Last },
        { Qt::Key_Up, Qt::AltModifier, C::None },
        { Qt::Key_A, Qt::NoModifier, C::None },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(KeyCommands::command(c.key, int(c.modifiers)), c.expected)
            << "key " << std::hex << c.key << " modifiers " << int(c.modifiers);
    }
}

// Ten items in rows of four: 0-3, 4-7, 8-9.
TEST(KeyCommands, AMoveStaysInsideTheItemsAndTheirRows)
{
    const struct
    {
        C command;
        int index;
        int count;
        int columns;
        int expected;
    } cases[] = {
        { C::Next, 3, 10, 4, 4 },
        { C::Next, 9, 10, 4, 9 },
        { C::Previous, 0, 10, 4, 0 },
        { C::Up, 5, 10, 4, 1 },
        { C::Up, 2, 10, 4, 2 },
        { C::Down, 1, 10, 4, 5 },
        { C::Down, 6, 10, 4, 9 },
        { C::Down, 9, 10, 4, 9 },
        { C::Down, 2, 3, 1, 2 },
        { C::Down, 0, 3, 0, 1 },
        { C::First, 7, 10, 4, 0 },
        { C::Last, 0, 10, 4, 9 },
        { C::Down, -1, 10, 4, 0 },
        { C::Down, 0, 0, 4, -1 },
        { C::Activate, 2, 10, 4, -1 },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(KeyCommands::step(c.command, c.index, c.count, c.columns), c.expected)
            << "command " << int(c.command) << " from " << c.index << " of " << c.count;
    }
}

} // namespace
