#pragma once

#include "platform/base/DefaultsValue.h"

#include <cstddef>
#include <optional>
#include <string>

namespace brimlark {

// Property-list documents (XML or binary) read into typed values. Strict:
// a document nested too deep or expanding without bound, or holding a node
// of a type the values do not know, a text that is not UTF-8 or an integer
// wider than 64 bits, reads as nothing: whatever it reads is what a fold
// writes back.
class PlistReader
{
public:
    // A whole domain: the document's root must be a dictionary.
    static std::optional<DefaultsValue::Dictionary> dictionary(const std::string &bytes);
    // One value as the whole document: a journal record's value.
    static std::optional<DefaultsValue> value(const char *bytes, std::size_t size);
};

} // namespace brimlark
