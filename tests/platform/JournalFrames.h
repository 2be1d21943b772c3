#pragma once

// Journal records built by hand, to hand a reader what no writer makes.

#include <zlib.h>

#include <cstdint>
#include <string>

namespace brimlark::test {

inline std::string littleEndian(std::uint32_t v)
{
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out += char((v >> (8 * i)) & 0xFF);
    }
    return out;
}

// A record around any payload, with a checksum that matches it.
inline std::string framed(const std::string &payload)
{
    const auto sum
        = std::uint32_t(::crc32(0, reinterpret_cast<const Bytef *>(payload.data()), uInt(payload.size())));
    return littleEndian(std::uint32_t(payload.size())) + littleEndian(sum) + payload;
}

// A record's payload: its operation, its key and what follows.
inline std::string payload(char op, const std::string &key, const std::string &rest)
{
    return std::string(1, op) + littleEndian(std::uint32_t(key.size())) + key + rest;
}

} // namespace brimlark::test
