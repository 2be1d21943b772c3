#include "analytics/DataCompression.h"

#include "analytics/TallyLogger.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace brimlark {

namespace {

constexpr std::string_view kFunction = "gzipCompressed(level:)";

std::string describe(GzipError::Kind kind, int code)
{
    switch (kind) {
    case GzipError::Kind::Stream:
        return "stream";
    case GzipError::Kind::Data:
        return "data";
    case GzipError::Kind::Memory:
        return "memory";
    case GzipError::Kind::Buffer:
        return "buffer";
    case GzipError::Kind::Version:
        return "version";
    case GzipError::Kind::Unknown:
        break;
    }
    return "unknown(code: " + std::to_string(code) + ")";
}

// Ends the stream on every way out once it was initialised.
struct StreamGuard
{
    z_stream *stream;
    ~StreamGuard() { deflateEnd(stream); }
};

} // namespace

GzipError GzipError::fromCode(int code)
{
    switch (code) {
    case Z_STREAM_ERROR:
        return GzipError(Kind::Stream, code);
    case Z_DATA_ERROR:
        return GzipError(Kind::Data, code);
    case Z_MEM_ERROR:
        return GzipError(Kind::Memory, code);
    case Z_BUF_ERROR:
        return GzipError(Kind::Buffer, code);
    case Z_VERSION_ERROR:
        return GzipError(Kind::Version, code);
    default:
        return GzipError(Kind::Unknown, code);
    }
}

GzipError::GzipError(Kind kind, int code)
    : m_kind(kind)
    , m_code(code)
    , m_description(describe(kind, code))
{
}

std::vector<std::uint8_t> DataCompression::gzipCompressed(std::string_view input, int level)
{
    return gzipCompressed(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t *>(input.data()), input.size()),
        level);
}

std::vector<std::uint8_t> DataCompression::gzipCompressed(std::span<const std::uint8_t> input, int level)
{
    if (input.empty()) {
        TallyLogger::warn("Empty Data object cannot be compressed.", kFunction);
        return {};
    }
    // zlib describes its input with a 32-bit count; a batch body never comes near that.
    if (input.size() > std::numeric_limits<uInt>::max()) {
        throw GzipError(GzipError::Kind::Buffer, Z_BUF_ERROR);
    }

    z_stream stream {};
    stream.next_in = const_cast<Bytef *>(input.data());
    stream.avail_in = static_cast<uInt>(input.size());
    const int initResult = deflateInit2(&stream, level, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    if (initResult != Z_OK) {
        throw GzipError::fromCode(initResult);
    }
    StreamGuard guard { &stream };

    // deflateBound covers the gzip header and trailer, so tiny inputs fit at once; the loop below
    // still grows the buffer should zlib ever need more.
    std::vector<std::uint8_t> output(deflateBound(&stream, static_cast<uLong>(input.size())));
    const std::size_t growth = std::max<std::size_t>(input.size() / 2, 64);
    int result = Z_OK;
    do {
        if (stream.total_out >= output.size()) {
            output.resize(output.size() + growth);
        }
        if (output.data() == nullptr) {
            throw GzipError(GzipError::Kind::Buffer, Z_BUF_ERROR);
        }
        const std::size_t produced = stream.total_out;
        stream.next_out = output.data() + produced;
        stream.avail_out = static_cast<uInt>(
            std::min<std::size_t>(output.size() - produced, std::numeric_limits<uInt>::max()));
        result = deflate(&stream, Z_FINISH);
    } while (result == Z_OK);

    if (result != Z_STREAM_END) {
        throw GzipError::fromCode(result);
    }
    output.resize(stream.total_out);

    TallyLogger::info(
        [&] {
            const double inputLength = static_cast<double>(input.size());
            const double outputLength = static_cast<double>(output.size());
            const double ratio = std::floor(outputLength / inputLength * 1000.0) / 1000.0;
            const double percentage
                = std::floor((1.0 - outputLength / inputLength) * 100.0 * 1000.0) / 1000.0;
            return "Payload gzipped: original size = " + std::to_string(input.size())
                + " bytes, compressed size = " + std::to_string(output.size())
                + " bytes, compression ratio = " + decimalText(ratio)
                + ", compression percentage = " + decimalText(percentage) + "%";
        },
        kFunction);
    return output;
}

std::string DataCompression::decimalText(double value)
{
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    }
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc()) {
        return "0.0";
    }
    std::string text(buffer, end);
    if (text.find('.') == std::string::npos) {
        text += ".0";
    }
    return text;
}

} // namespace brimlark
