#include "platform/base/Utf8.h"

#include <cstdint>

namespace brimlark {

bool Utf8::isValid(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1
            : (c & 0xE0) == 0xC0            ? 2
            : (c & 0xF0) == 0xE0            ? 3
            : (c & 0xF8) == 0xF0            ? 4
                                            : 0;
        if (length == 0 || length > text.size() - i) {
            return false;
        }
        std::uint32_t cp = length == 1 ? c : c & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (next & 0x3Fu);
        }
        constexpr std::uint32_t least[] = { 0, 0, 0x80, 0x800, 0x10000 };
        if (cp < least[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace brimlark
