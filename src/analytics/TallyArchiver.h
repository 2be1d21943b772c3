#pragma once

#include "analytics/TallyType.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace brimlark {

// The byte form of the super properties and timed events kept in the settings suite: JSON in
// which every value carries its kind, so that a read gives back exactly what was written
// (integers stay integers, floats floats, dates dates, dictionaries keep their key order).
//
//     {"root":{"dictionary":[["plan",{"string":"pro"}],["seats",{"int":3}]]},"tally-archive":1}
//
// Kinds: "absent", "null" (value null), "bool", "int", "uint", "double", "float" (numbers;
// "nan", "inf" and "-inf" as text), "string", "date" (seconds since 1970), "url" (its text),
// "array" (values), "dictionary" (key and value pairs), "opaque" (the description).
class TallyArchiver
{
public:
    TallyArchiver() = delete;

    // Nothing when the dictionary holds text that is not UTF-8.
    static std::optional<std::vector<std::uint8_t>> archive(const TallyDictionary &root);
    // Nothing unless the bytes are exactly such an archive of a dictionary.
    static std::optional<TallyDictionary> unarchive(std::span<const std::uint8_t> bytes);

    // Deeper nesting is refused when reading, so a damaged archive cannot exhaust the stack.
    static constexpr int maximumDepth = 256;
    // How many levels a value of the archived dictionary may nest and still be read back.
    static constexpr int maximumValueDepth = maximumDepth - 1;
};

} // namespace brimlark
