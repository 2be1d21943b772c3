#pragma once

#include "analytics/TallyType.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brimlark {

// Records to JSON and back. Before writing, every value is coerced into something JSON can hold:
// non-finite numbers become "nan", "inf" or "-inf", dates their UTC text
// ("2024-03-05T07:08:09.123Z"), URLs their absolute text, absent values and the null marker
// JSON null, opaque values their description. Output is compact UTF-8 with keys in the records'
// own order; text that is not valid UTF-8 is written with U+FFFD in place of the bad bytes.
// Numbers are written and read independently of the process locale. Nothing throws; every
// failure yields nothing after a warning through the client logger. Safe on any thread.
class JSONHandler
{
public:
    JSONHandler() = delete;

    // Arrays and objects nest at most this many levels in stored JSON; deeper data is refused
    // when read, so a hostile blob cannot exhaust the stack of whoever walks the value.
    static constexpr int maximumDepth = 512;
    // A property value sits two levels down in its record ({"properties":{"key":value}}).
    static constexpr int maximumPropertyDepth = maximumDepth - 2;

    // The JSON text of a batch (an array of records).
    static std::optional<std::string> encodeAPIData(const TallyType &object);

    // The JSON bytes of one record (a dictionary) or an array; inside a top-level array only
    // records and arrays are kept. Anything else at the top level yields nothing.
    static std::optional<std::vector<std::uint8_t>> serializeJSONObject(const TallyType &object);

    // The value of stored JSON bytes; the top level must be an array or an object.
    static std::optional<TallyType> deserializeData(std::span<const std::uint8_t> data);
    static std::optional<TallyType> deserializeData(std::string_view data);

    // "yyyy-MM-dd'T'HH:mm:ss.SSS'Z'" in UTC, milliseconds truncated.
    static std::string dateText(TallyDate date);
};

} // namespace brimlark
