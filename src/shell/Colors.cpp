#include "shell/Colors.h"

#include "shell/Color.h"

namespace brimlark {

QColor Colors::hex(const QString &text) const
{
    return Color::fromHex(text).toQColor();
}

} // namespace brimlark
