#pragma once

#include <QString>

namespace brimlark {

// Device-independent modifier flags of a key-down event. Command is Qt's
// Control key, Option is Alt, and the launcher's Control is Qt's Meta.
namespace KeyModifier {
inline constexpr quint32 capsLock = 1u << 16;
inline constexpr quint32 shift = 1u << 17;
inline constexpr quint32 control = 1u << 18;
inline constexpr quint32 option = 1u << 19;
inline constexpr quint32 command = 1u << 20;
inline constexpr quint32 numericPad = 1u << 21;
inline constexpr quint32 help = 1u << 22;
inline constexpr quint32 function = 1u << 23;
inline constexpr quint32 deviceIndependentMask = 0xFFFF0000u;
} // namespace KeyModifier

struct KeyDownEvent
{
    quint32 modifierFlags = 0;
    // The key's character as typed without any modifier ("a" for Command+A);
    // empty for keys that produce none.
    QString charactersIgnoringModifiers;
    // Whether a text input held the keyboard focus when the key went down.
    bool textInputHasFocus = false;
};

} // namespace brimlark
