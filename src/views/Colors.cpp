#include "views/Colors.h"

#include "views/Color.h"

namespace brimlark {

QColor Colors::hex(const QString &text) const
{
    return Color::fromHex(text).toQColor();
}

} // namespace brimlark
