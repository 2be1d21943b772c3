#include "analytics/DataCompression.h"

#include "TallyLogCapture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <charconv>
#include <random>

using namespace brimlark;

namespace {

// Inflates a complete gzip member independently of the code under test; nothing when the
// bytes are not exactly one valid member.
std::optional<std::vector<std::uint8_t>> gunzip(const std::vector<std::uint8_t> &compressed)
{
    z_stream stream {};
    if (inflateInit2(&stream, 15 + 16) != Z_OK) {
        return std::nullopt;
    }
    stream.next_in = const_cast<Bytef *>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    std::vector<std::uint8_t> output;
    std::uint8_t chunk[4096];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = chunk;
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        output.insert(output.end(), chunk, chunk + (sizeof chunk - stream.avail_out));
        if (result == Z_BUF_ERROR) {
            break;
        }
    }
    const bool clean = result == Z_STREAM_END && stream.avail_in == 0;
    inflateEnd(&stream);
    if (!clean) {
        return std::nullopt;
    }
    return output;
}

// Read without the process locale, which the test application sets from the environment.
double number(const std::string &text)
{
    double value = -1;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::vector<std::uint8_t> randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto &byte : bytes) {
        byte = static_cast<std::uint8_t>(generator());
    }
    return bytes;
}

struct RoundTripCase
{
    const char *name;
    std::vector<std::uint8_t> input;
    int level;
};

class GzipRoundTrip : public ::testing::TestWithParam<RoundTripCase>
{
};

} // namespace

TEST_P(GzipRoundTrip, producesOneGzipMemberThatInflatesToTheInput)
{
    const RoundTripCase &c = GetParam();
    const std::vector<std::uint8_t> compressed = DataCompression::gzipCompressed(c.input, c.level);
    ASSERT_GE(compressed.size(), 18u); // gzip header and trailer at the least
    EXPECT_EQ(compressed[0], 0x1F);
    EXPECT_EQ(compressed[1], 0x8B);
    EXPECT_EQ(compressed[2], 8); // deflate
    const auto inflated = gunzip(compressed);
    ASSERT_TRUE(inflated.has_value());
    EXPECT_EQ(*inflated, c.input);
}

INSTANTIATE_TEST_SUITE_P(Inputs, GzipRoundTrip,
    ::testing::Values(
        // A one-byte body is a real batch size for the caller; it must not fail for lack of room.
        RoundTripCase { "oneByte", { 'x' }, -1 }, RoundTripCase { "twoBytes", { '[', ']' }, -1 },
        RoundTripCase { "threeBytes", { 'a', 'b', 'c' }, -1 },
        RoundTripCase { "allByteValues",
            [] {
                std::vector<std::uint8_t> v(256);
                for (int i = 0; i < 256; ++i) {
                    v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
                }
                return v;
            }(),
            -1 },
        RoundTripCase { "repetitiveJson",
            [] {
                std::string text = "[";
                for (int i = 0; i < 2000; ++i) {
                    text += R"({"event":"App Launched","properties":{"app_name":"Notes"}},)";
                }
                text += "{}]";
                return std::vector<std::uint8_t>(text.begin(), text.end());
            }(),
            -1 },
        // Random bytes grow under deflate: the output must still fit.
        RoundTripCase { "incompressible", randomBytes(200000, 7), -1 },
        RoundTripCase { "incompressibleStored", randomBytes(70000, 8), 0 },
        RoundTripCase { "fastest", randomBytes(5000, 9), 1 },
        RoundTripCase { "best", std::vector<std::uint8_t>(100000, 'z'), 9 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DataCompression, emptyInputGivesEmptyOutputAndAWarning)
{
    test::TallyLogCapture capture;
    const std::vector<std::uint8_t> compressed = DataCompression::gzipCompressed(std::string_view(), -1);
    EXPECT_TRUE(compressed.empty());
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0].level, TallyLogLevel::Warning);
    EXPECT_EQ(capture.messages()[0].text, "Empty Data object cannot be compressed.");
    EXPECT_EQ(capture.messages()[0].function, "gzipCompressed(level:)");
}

TEST(DataCompression, invalidLevelThrowsStreamError)
{
    try {
        DataCompression::gzipCompressed(std::string_view("payload"), 42);
        FAIL() << "expected a GzipError";
    } catch (const GzipError &error) {
        EXPECT_EQ(error.kind(), GzipError::Kind::Stream);
        EXPECT_EQ(error.code(), Z_STREAM_ERROR);
        EXPECT_STREQ(error.what(), "stream");
    }
}

TEST(DataCompression, successLogsSizesAndRatiosAtInfo)
{
    test::TallyLogCapture capture;
    const std::string input(1000, 'a');
    const std::vector<std::uint8_t> compressed = DataCompression::gzipCompressed(input, -1);
    const auto infos = capture.messages(TallyLogLevel::Info);
    ASSERT_EQ(infos.size(), 1u);
    // "Payload gzipped: original size = N bytes, compressed size = M bytes, compression ratio = R,
    // compression percentage = P%"
    const std::string &text = infos[0].text;
    const std::string parts[] = { "Payload gzipped: original size = ", " bytes, compressed size = ",
        " bytes, compression ratio = ", ", compression percentage = ", "%" };
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (std::size_t i = 0; i < std::size(parts); ++i) {
        const std::size_t found = text.find(parts[i], at);
        ASSERT_NE(found, std::string::npos) << text;
        if (i == 0) {
            ASSERT_EQ(found, 0u) << text;
        } else {
            fields.push_back(text.substr(at, found - at));
        }
        at = found + parts[i].size();
    }
    ASSERT_EQ(at, text.size()) << text;
    ASSERT_EQ(fields.size(), 4u);
    for (std::size_t i = 2; i < 4; ++i) {
        EXPECT_NE(fields[i].find('.'), std::string::npos) << fields[i];
    }
    EXPECT_EQ(std::stoul(fields[0]), input.size());
    EXPECT_EQ(std::stoul(fields[1]), compressed.size());
    // Both figures are cut (not rounded) to three decimals.
    const double exactRatio = double(compressed.size()) / double(input.size());
    const double ratio = number(fields[2]);
    EXPECT_LE(ratio, exactRatio);
    EXPECT_GT(ratio, exactRatio - 0.001);
    const double percentage = number(fields[3]);
    EXPECT_LE(percentage, (1 - exactRatio) * 100);
    EXPECT_GT(percentage, (1 - exactRatio) * 100 - 0.001);
}

TEST(DataCompression, noLogLineWhileInfoIsDisabled)
{
    test::TallyLogCapture capture;
    TallyLogger::disableLevel(TallyLogLevel::Info);
    DataCompression::gzipCompressed(std::string_view("some payload to squeeze"), -1);
    EXPECT_TRUE(capture.messages().empty());
}

TEST(DataCompression, decimalTextKeepsOneFractionDigit)
{
    const std::pair<double, const char *> cases[] = {
        { 0.5, "0.5" },
        { 50.0, "50.0" },
        { 0.0, "0.0" },
        { 0.001, "0.001" },
        { 99.9, "99.9" },
        { -12.25, "-12.25" },
        { 1e21, "1000000000000000000000.0" },
        { 0.123, "0.123" },
    };
    for (const auto &[value, text] : cases) {
        EXPECT_EQ(DataCompression::decimalText(value), text) << value;
    }
}

TEST(GzipError, mapsZlibCodes)
{
    const std::tuple<int, GzipError::Kind, const char *> cases[] = {
        { Z_STREAM_ERROR, GzipError::Kind::Stream, "stream" },
        { Z_DATA_ERROR, GzipError::Kind::Data, "data" },
        { Z_MEM_ERROR, GzipError::Kind::Memory, "memory" },
        { Z_BUF_ERROR, GzipError::Kind::Buffer, "buffer" },
        { Z_VERSION_ERROR, GzipError::Kind::Version, "version" },
        { Z_OK, GzipError::Kind::Unknown, "unknown(code: 0)" },
        { Z_NEED_DICT, GzipError::Kind::Unknown, "unknown(code: 2)" },
        { Z_ERRNO, GzipError::Kind::Unknown, "unknown(code: -1)" },
    };
    for (const auto &[code, kind, text] : cases) {
        const GzipError error = GzipError::fromCode(code);
        EXPECT_EQ(error.kind(), kind) << code;
        EXPECT_EQ(error.code(), code);
        EXPECT_STREQ(error.what(), text);
    }
}
