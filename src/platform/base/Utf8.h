#pragma once

#include <string_view>

namespace brimlark {

// UTF-8 as the settings store keeps text: the binary writer stores anything
// else with replacement characters, so only well-formed text (no overlong
// form, no surrogate, nothing past U+10FFFF) reads back as it was.
struct Utf8
{
    static bool isValid(std::string_view text);
};

} // namespace brimlark
