#include "analytics/JSONHandler.h"

#include "TallyLogCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <locale>
#include <random>

using namespace brimlark;
using brimlark::test::TallyLogCapture;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace brimlark {
inline void PrintTo(const TallyType &value, std::ostream *out)
{
    *out << value.description();
}
} // namespace brimlark

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string text(const std::optional<std::vector<std::uint8_t>> &bytes)
{
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<nothing>");
}

std::string serialized(const TallyType &value)
{
    return text(JSONHandler::serializeJSONObject(value));
}

std::vector<std::string> texts(const std::vector<TallyLogMessage> &messages)
{
    std::vector<std::string> result;
    for (const auto &message : messages) {
        result.push_back(message.text);
    }
    return result;
}

// A C++ locale that writes numbers the continental way, to catch any stream-based formatting.
struct CommaDecimal : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

} // namespace

TEST(JSONHandlerTest, RecordIsCompactWithKeysInWriteOrder)
{
    TallyDictionary record;
    record.set("event", "open");
    record.set("properties", TallyDictionary { { "z", 1 }, { "a", 2 } });
    record.set("time", 1709622489123.0);
    record.set("event", "start"); // a rewrite keeps the key's place
    EXPECT_EQ(serialized(record), R"({"event":"start","properties":{"z":1,"a":2},"time":1709622489123})");
}

TEST(JSONHandlerTest, ScalarsAreCoercedByTheirKind)
{
    struct Case
    {
        const char *name;
        TallyType value;
        const char *json;
    };
    const Case cases[] = {
        { "true", true, "true" },
        { "false", false, "false" },
        { "int", -42, "-42" },
        { "int64 min", std::numeric_limits<std::int64_t>::min(), "-9223372036854775808" },
        { "uint64 max", std::numeric_limits<std::uint64_t>::max(), "18446744073709551615" },
        { "double", 1.5, "1.5" },
        { "whole double", 5.0, "5" },
        { "negative zero", -0.0, "-0.0" },
        { "timestamp in milliseconds", 1733712345678.0, "1733712345678" },
        { "round timestamp", 1733712000000.0, "1733712000000" },
        { "round counter", 100000.0, "100000" },
        { "large whole value", 1e20, "100000000000000000000" },
        { "fraction", 1733712345.678, "1733712345.678" },
        { "small fraction", 0.00000015, "0.00000015" },
        { "float whole", 3.0f, "3" },
        { "tiny", 5e-324, "5e-324" },
        { "huge", 1e300, "1e+300" },
        { "float shortest", 0.1f, "0.1" },
        { "nan", kNaN, "\"nan\"" },
        { "inf", kInf, "\"inf\"" },
        { "-inf", -kInf, "\"-inf\"" },
        { "float inf", -std::numeric_limits<float>::infinity(), "\"-inf\"" },
        { "text", "caf\xC3\xA9 \"q\" \\ \n", "\"caf\xC3\xA9 \\\"q\\\" \\\\ \\n\"" },
        { "date", TallyType(TallyDate { 1709622489.123 }), "\"2024-03-05T07:08:09.123Z\"" },
        { "url", TallyType(TallyUrl { "https://brimlark.test/a?b=c" }), "\"https://brimlark.test/a?b=c\"" },
        { "absent", TallyType(), "null" },
        { "null marker", TallyType::null(), "null" },
        { "opaque", TallyType(TallyOpaque { "{(1, 2)}" }), "\"{(1, 2)}\"" },
    };
    TallyLogCapture capture;
    for (const Case &c : cases) {
        TallyDictionary record { { "v", c.value } };
        EXPECT_EQ(serialized(record), std::string("{\"v\":") + c.json + "}") << c.name;
    }
    // Only the opaque value is forced to text with a log line; non-finite numbers are silent.
    EXPECT_THAT(texts(capture.messages()), ElementsAre("enforcing string on object"));
    EXPECT_EQ(capture.messages().front().function, "makeObjectSerializable(_:)");
    EXPECT_EQ(capture.messages().front().file, "JSONHandler.cpp");
}

TEST(JSONHandlerTest, DatesAreUtcWithTruncatedMilliseconds)
{
    struct Case
    {
        double seconds;
        const char *text;
    };
    const Case cases[] = {
        { 0, "1970-01-01T00:00:00.000Z" },
        { 1709622489.123, "2024-03-05T07:08:09.123Z" },
        { 1709622489.1239, "2024-03-05T07:08:09.123Z" }, // truncated, not rounded
        { -0.001, "1969-12-31T23:59:59.999Z" },
        { -0.0005, "1969-12-31T23:59:59.999Z" },
        { 951782400, "2000-02-29T00:00:00.000Z" },
        { 253402300799.999, "9999-12-31T23:59:59.999Z" },
        { -62135596800, "0001-01-01T00:00:00.000Z" },
    };
    // Neither the time zone nor the locale of the process may show through.
    setenv("TZ", "UTC+5", 1);
    tzset();
    for (const Case &c : cases) {
        EXPECT_EQ(JSONHandler::dateText(TallyDate { c.seconds }), c.text) << c.seconds;
        EXPECT_EQ(JSONHandler::dateText(TallyDate { c.seconds }).size(), 24u);
    }
    unsetenv("TZ");
    tzset();
    EXPECT_EQ(JSONHandler::dateText(TallyDate { kNaN }), "nan"); // no calendar overflow
    EXPECT_EQ(JSONHandler::dateText(TallyDate { 1e300 }), "inf");
}

TEST(JSONHandlerTest, ContainersDropAbsentElementsButKeepAbsentValues)
{
    const TallyDictionary record {
        { "list", TallyArray { 1, TallyType(), "two", TallyType::null(), TallyArray { TallyType() } } },
        { "gone", TallyType() },
        { "when", TallyArray { TallyType(TallyDate { 0 }), TallyType(TallyUrl { "file:///x" }) } },
    };
    EXPECT_EQ(serialized(record),
        R"({"list":[1,"two",null,[]],"gone":null,"when":["1970-01-01T00:00:00.000Z","file:///x"]})");
}

TEST(JSONHandlerTest, TopLevelMustBeAnArrayOrARecord)
{
    TallyLogCapture capture;
    EXPECT_EQ(serialized(TallyArray {}), "[]");
    EXPECT_EQ(serialized(TallyArray {
                  TallyDictionary { { "a", 1 } }, "bare", 3, true, TallyType::null(), TallyArray { 2 } }),
        R"([{"a":1},[2]])");
    EXPECT_THAT(capture.messages(), IsEmpty()); // elements are dropped without a line

    for (const TallyType &bare : { TallyType("text"), TallyType(3), TallyType(true), TallyType::null(),
             TallyType(), TallyType(kNaN), TallyType(TallyDate { 0 }) }) {
        capture.clear();
        EXPECT_FALSE(JSONHandler::serializeJSONObject(bare).has_value()) << bare.description();
        EXPECT_THAT(texts(capture.messages(TallyLogLevel::Warning)),
            ElementsAre("object isn't valid and can't be serialzed to JSON"));
    }

    capture.clear();
    EXPECT_FALSE(JSONHandler::encodeAPIData("text").has_value());
    EXPECT_THAT(texts(capture.messages(TallyLogLevel::Warning)),
        ElementsAre("object isn't valid and can't be serialzed to JSON", "couldn't serialize object"));
    const auto messages = capture.messages(TallyLogLevel::Warning);
    EXPECT_EQ(messages[0].function, "serializeJSONObject(_:)");
    EXPECT_EQ(messages[1].function, "encodeAPIData(_:)");
}

TEST(JSONHandlerTest, EncodesABatchAsText)
{
    const TallyArray batch { TallyDictionary { { "event", "a" }, { "id", 1 } },
        TallyDictionary { { "event", "b" }, { "id", 2 } } };
    EXPECT_EQ(JSONHandler::encodeAPIData(batch), R"([{"event":"a","id":1},{"event":"b","id":2}])");
    EXPECT_EQ(JSONHandler::encodeAPIData(TallyArray {}), "[]");
}

TEST(JSONHandlerTest, InvalidUtf8IsReplacedInsteadOfFailing)
{
    TallyDictionary record;
    record.set("name\xFF", "ab\xC3(cd\xED\xA0\x80");
    const auto bytes = JSONHandler::serializeJSONObject(record);
    ASSERT_TRUE(bytes.has_value());
    const std::string json = text(bytes);
    EXPECT_EQ(json.find('\xFF'), std::string::npos);
    EXPECT_NE(json.find("name\xEF\xBF\xBD"), std::string::npos) << json;
    EXPECT_NE(json.find("ab\xEF\xBF\xBD(cd"), std::string::npos) << json;
    // What was written reads back: it is well-formed JSON and UTF-8.
    EXPECT_TRUE(JSONHandler::deserializeData(*bytes).has_value());
}

// A stored absent value comes back as JSON null and must go out as null again, not as the text
// "<null>" that a description of the null marker would give.
TEST(JSONHandlerTest, StoredNullIsSentAsNull)
{
    TallyLogCapture capture;
    const TallyDictionary record { { "event", "open" }, { "referrer", TallyType() },
        { "tags", TallyArray { TallyType::null() } } };
    const auto stored = JSONHandler::serializeJSONObject(record);
    ASSERT_EQ(text(stored), R"({"event":"open","referrer":null,"tags":[null]})");

    const auto readBack = JSONHandler::deserializeData(*stored);
    ASSERT_TRUE(readBack.has_value());
    EXPECT_TRUE(readBack->get<TallyDictionary>()->find("referrer")->isNull());

    const auto body = JSONHandler::encodeAPIData(TallyArray { *readBack });
    EXPECT_EQ(body, R"([{"event":"open","referrer":null,"tags":[null]}])");
    EXPECT_THAT(capture.messages(), IsEmpty());
}

TEST(JSONHandlerTest, RoundTripKeepsKindsOrderAndValues)
{
    TallyDictionary record;
    record.set("zeta", true);
    record.set("alpha", false);
    record.set("count", 3);
    record.set("big", std::numeric_limits<std::uint64_t>::max());
    record.set("ratio", 5.0);
    record.set("text", "x");
    record.set(
        "nested", TallyDictionary { { "b", TallyArray { 1, 2.5, "c" } }, { "a", TallyDictionary {} } });
    const auto bytes = JSONHandler::serializeJSONObject(record);
    ASSERT_TRUE(bytes);
    const auto back = JSONHandler::deserializeData(*bytes);
    ASSERT_TRUE(back);
    // A whole double comes back as the integer it was written as; everything else as it was.
    TallyDictionary expected = record;
    expected.set("ratio", 5);
    EXPECT_TRUE(back->sameAs(expected)) << back->description();
    EXPECT_EQ(back->get<TallyDictionary>()->find("zeta")->kind(), TallyType::Kind::Bool);
    // And a second pass writes the same bytes.
    EXPECT_EQ(JSONHandler::serializeJSONObject(*back), bytes);
}

TEST(JSONHandlerTest, DoublesReadBackBitForBit)
{
    std::mt19937_64 generator(12345);
    for (int i = 0; i < 2000; ++i) {
        double value;
        const std::uint64_t bits = generator();
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) {
            continue;
        }
        const auto bytes = JSONHandler::serializeJSONObject(TallyArray { TallyArray { value } });
        ASSERT_TRUE(bytes);
        const auto back = JSONHandler::deserializeData(*bytes);
        ASSERT_TRUE(back);
        const TallyType &element = (*back->get<TallyArray>())[0].get<TallyArray>()->front();
        // A whole value comes back as an integer of the same value.
        const std::optional<double> number = element.toDouble();
        ASSERT_TRUE(number) << text(bytes);
        std::uint64_t backBits;
        std::memcpy(&backBits, &*number, sizeof backBits);
        EXPECT_EQ(backBits, bits) << text(bytes);
    }
}

TEST(JSONHandlerTest, NumbersIgnoreTheProcessLocale)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string json = serialized(TallyDictionary { { "a", 1234567.25 }, { "b", 1000000 } });
    const auto back = JSONHandler::deserializeData(std::string_view(R"({"a":1234567.25})"));
    std::locale::global(previous);
    EXPECT_EQ(json, R"({"a":1234567.25,"b":1000000})");
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->get<TallyDictionary>()->find("a")->equals(1234567.25));
}

TEST(JSONHandlerTest, ReadsNumbersIntoTheirKinds)
{
    const auto back = JSONHandler::deserializeData(std::string_view(
        R"({"i":-7,"u":9223372036854775808,"s":9223372036854775807,"f":1.5e3,"w":2.0,"e":1E-2,"t":true,"n":null})"));
    ASSERT_TRUE(back);
    const TallyDictionary &d = *back->get<TallyDictionary>();
    EXPECT_EQ(*d.find("i")->get<std::int64_t>(), -7);
    EXPECT_EQ(*d.find("u")->get<std::uint64_t>(), 9223372036854775808ull);
    EXPECT_EQ(*d.find("s")->get<std::int64_t>(), 9223372036854775807ll);
    EXPECT_EQ(*d.find("f")->get<double>(), 1500.0);
    EXPECT_EQ(*d.find("w")->get<double>(), 2.0);
    EXPECT_EQ(*d.find("e")->get<double>(), 0.01);
    EXPECT_EQ(*d.find("t")->get<bool>(), true);
    EXPECT_TRUE(d.find("n")->isNull());
}

TEST(JSONHandlerTest, DuplicateStoredKeysKeepTheFirstPlaceAndTheLastValue)
{
    const auto back = JSONHandler::deserializeData(std::string_view(R"({"a":1,"b":2,"a":3})"));
    ASSERT_TRUE(back);
    EXPECT_THAT(back->get<TallyDictionary>()->keys(), ElementsAre("a", "b"));
    EXPECT_TRUE(back->get<TallyDictionary>()->find("a")->equals(3));
}

TEST(JSONHandlerTest, BadStoredBytesYieldNothingWithAWarning)
{
    const std::string tooDeep = std::string(600, '[') + std::string(600, ']');
    const std::string deepEnough = std::string(100, '[') + std::string(100, ']');
    const char *inputs[] = {
        "",
        "not json",
        "\"bare string\"",
        "42",
        "true",
        "null",
        "{\"a\":1",
        "{\"a\":1} trailing",
        "[1,]",
        "{'a':1}",
        "[\"\xFF\"]", // not UTF-8
        "[NaN]",
    };
    TallyLogCapture capture;
    for (const char *input : inputs) {
        capture.clear();
        EXPECT_FALSE(JSONHandler::deserializeData(std::string_view(input)).has_value()) << input;
        EXPECT_THAT(
            texts(capture.messages(TallyLogLevel::Warning)), ElementsAre("exception decoding object data"))
            << input;
    }
    EXPECT_FALSE(JSONHandler::deserializeData(std::string_view(tooDeep)).has_value());
    EXPECT_TRUE(JSONHandler::deserializeData(std::string_view(deepEnough)).has_value());
    EXPECT_EQ(capture.messages(TallyLogLevel::Warning).back().function, "deserializeData(_:)");
}
