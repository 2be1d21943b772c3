#pragma once

#include "platform/base/DefaultsValue.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brimlark {

// One write to a domain as its journal keeps it. A journal is a header, then
// one record per write, each [payload length][crc32 of the payload][payload],
// little-endian; the payload is the operation, the key's length and bytes,
// and for a set the value as a binary property list of its own.
struct JournalRecord
{
    enum class Operation : std::uint8_t { Set = 1, Remove = 2 };

    static constexpr std::string_view Header { "BLJRNL1\n", 8 };
    // Length and checksum before each payload.
    static constexpr std::size_t RecordHeader = 8;
    // No payload is larger, and no journal is read past this size.
    static constexpr std::uint32_t MaxSize = 1u << 30;

    // A record's bytes; nothing when the value cannot be kept in the format
    // (a date that is not finite) or the record would be too large.
    static std::optional<std::string> set(const std::string &key, const DefaultsValue &value);
    static std::optional<std::string> remove(const std::string &key);
    // The value's property list inside a record set() made.
    static std::string_view valueOf(std::string_view record);

    // Hands the records of a whole journal to `apply`, in order. Stops at the
    // first record that is cut short or does not check (the tail of a killed
    // write); one that checks but does not decode is skipped. A journal
    // without its header holds none. Returns how many were skipped.
    static std::size_t readAll(std::string_view journal, const std::function<void(JournalRecord &&)> &apply);

    Operation operation = Operation::Set;
    std::string key;
    // Set's value; none for a removal.
    std::optional<DefaultsValue> value;
};

} // namespace brimlark
