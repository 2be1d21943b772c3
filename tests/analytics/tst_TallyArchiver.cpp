#include "analytics/TallyArchiver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace brimlark;

namespace {

std::vector<std::uint8_t> bytes(std::string_view text)
{
    return { text.begin(), text.end() };
}

std::string text(const std::vector<std::uint8_t> &data)
{
    return { data.begin(), data.end() };
}

} // namespace

TEST(TallyArchiver, EveryKindComesBackAsItWasWritten)
{
    const TallyDictionary nested { { "z", 1 }, { "a", TallyArray { "x", TallyType::null() } } };
    const std::vector<std::pair<const char *, TallyType>> values {
        { "absent", TallyType() },
        { "null", TallyType::null() },
        { "true", true },
        { "false", false },
        { "int", std::int64_t(-9007199254740993) }, // not exact as a double
        { "int max", std::numeric_limits<std::int64_t>::max() },
        { "uint max", std::numeric_limits<std::uint64_t>::max() },
        { "double", 0.1 + 0.2 },
        { "whole double", 2.0 },
        { "nan", std::numeric_limits<double>::quiet_NaN() },
        { "inf", std::numeric_limits<double>::infinity() },
        { "-inf", -std::numeric_limits<double>::infinity() },
        { "float", 1.1f },
        { "string", "caf\xC3\xA9 \"quoted\"\n" },
        { "empty string", "" },
        { "date", TallyDate { 1709622489.123 } },
        { "url", TallyUrl { "https://example.com/a?b=c" } },
        { "opaque", TallyOpaque { "{(1, 2)}" } },
        { "empty array", TallyArray {} },
        { "empty dictionary", TallyDictionary {} },
        { "nested", nested },
    };
    TallyDictionary root;
    for (const auto &[key, value] : values) {
        root.set(key, value);
    }
    const auto archived = TallyArchiver::archive(root);
    ASSERT_TRUE(archived);
    const auto back = TallyArchiver::unarchive(*archived);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), values.size());
    std::size_t index = 0;
    for (const auto &[key, value] : *back) {
        // Key order is kept, and each value has its kind and contents (NaN included).
        EXPECT_EQ(key, values[index].first);
        EXPECT_TRUE(value.sameAs(values[index].second)) << key << ": " << value.description();
        ++index;
    }
}

TEST(TallyArchiver, TextThatIsNotUtf8CannotBeArchived)
{
    EXPECT_FALSE(TallyArchiver::archive({ { "bad", std::string("\xFF\xFE") } }));
    EXPECT_FALSE(TallyArchiver::archive({ { std::string("\xC3"), 1 } }));
    EXPECT_TRUE(TallyArchiver::archive({}));
}

TEST(TallyArchiver, AnythingButAnArchiveOfADictionaryIsRefused)
{
    const std::vector<std::string> refused {
        "",
        "garbage",
        "{}",
        "[]",
        R"({"tally-archive":2,"root":{"dictionary":[]}})",
        R"({"tally-archive":1})",
        R"({"tally-archive":1,"root":{"array":[]}})",
        R"({"tally-archive":1,"root":{"dictionary":[]},"extra":1})",
        R"({"tally-archive":1,"root":{"dictionary":[["a"]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[[1,{"int":1}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"int":1}],["a",{"int":2}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"int":1.5}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"int":9223372036854775808}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"uint":-1}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"double":"1.5"}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"bool":1}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"string":1}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"set":[]}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"string":"x","int":1}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[["a",{"null":0}]]}})",
        R"({"tally-archive":1,"root":{"dictionary":[]}} trailing)",
    };
    for (const auto &input : refused) {
        EXPECT_FALSE(TallyArchiver::unarchive(bytes(input))) << input;
    }
    EXPECT_TRUE(TallyArchiver::unarchive(bytes(R"({"root":{"dictionary":[]},"tally-archive":1})")));
}

TEST(TallyArchiver, NestingIsBoundedWhenReading)
{
    const auto nestedArchive = [](int depth) {
        std::string inner = R"({"int":1})";
        for (int i = 0; i < depth; ++i) {
            inner = R"({"array":[)" + inner + "]}";
        }
        return R"({"tally-archive":1,"root":{"dictionary":[["deep",)" + inner + "]]}}";
    };
    EXPECT_TRUE(TallyArchiver::unarchive(bytes(nestedArchive(TallyArchiver::maximumDepth - 2))));
    EXPECT_FALSE(TallyArchiver::unarchive(bytes(nestedArchive(TallyArchiver::maximumDepth + 1))));
    // Far deeper input is refused as well, without exhausting the stack.
    std::string hostile = R"({"tally-archive":1,"root":)";
    hostile += std::string(200000, '[');
    EXPECT_FALSE(TallyArchiver::unarchive(bytes(hostile)));
}

TEST(TallyArchiver, ArchiveIsCompactJsonWithKindTags)
{
    const auto archived = TallyArchiver::archive({ { "plan", "pro" }, { "seats", 3 } });
    ASSERT_TRUE(archived);
    EXPECT_EQ(text(*archived),
        R"({"root":{"dictionary":[["plan",{"string":"pro"}],["seats",{"int":3}]]},"tally-archive":1})");
}
