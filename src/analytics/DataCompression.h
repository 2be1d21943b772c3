#pragma once

#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <vector>

namespace brimlark {

// A zlib failure while compressing, with the zlib result code it came from.
class GzipError : public std::exception
{
public:
    enum class Kind {
        Unknown, // a code not listed below; see code()
        Stream, // Z_STREAM_ERROR
        Data, // Z_DATA_ERROR
        Memory, // Z_MEM_ERROR
        Buffer, // Z_BUF_ERROR, no output storage, or an input zlib cannot describe
        Version, // Z_VERSION_ERROR
    };

    // The error for a zlib result code.
    static GzipError fromCode(int code);
    explicit GzipError(Kind kind, int code = 0);

    Kind kind() const { return m_kind; }
    int code() const { return m_code; }
    const char *what() const noexcept override { return m_description.c_str(); }

private:
    Kind m_kind;
    int m_code;
    std::string m_description;
};

// Gzip compression of request bodies.
class DataCompression
{
public:
    DataCompression() = delete;

    // A complete gzip member (header, deflate data, trailer) of the input, or an empty buffer for
    // an empty input. The level is zlib's (-1 is its default). Throws GzipError.
    static std::vector<std::uint8_t> gzipCompressed(std::span<const std::uint8_t> input, int level);
    static std::vector<std::uint8_t> gzipCompressed(std::string_view input, int level);

    // "0.5", "50.0", "-12.25": the shortest decimal that reads back as the value, with at least
    // one digit after the point.
    static std::string decimalText(double value);
};

} // namespace brimlark
