#include "analytics/TallyType.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace brimlark;
using ::testing::ElementsAre;

namespace brimlark {
inline void PrintTo(const TallyType &value, std::ostream *out)
{
    *out << value.description();
}
} // namespace brimlark

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

} // namespace

TEST(TallyTypeTest, ValidityFollowsTheKind)
{
    struct Case
    {
        TallyType value;
        bool valid;
    };
    const Case cases[] = {
        { TallyType(1.5), true },
        { TallyType(kNaN), false },
        { TallyType(kInf), false },
        { TallyType(-kInf), false },
        { TallyType(std::numeric_limits<float>::infinity()), false },
        { TallyType(2.5f), true },
        { TallyType("text"), true },
        { TallyType(std::int64_t(-3)), true },
        { TallyType(std::uint64_t(3)), true },
        { TallyType(true), true },
        { TallyType(TallyDate { 0 }), true },
        { TallyType(TallyUrl { "https://x.test/" }), true },
        { TallyType::null(), true },
        { TallyType(), true }, // absent
        { TallyType(TallyArray {}), true },
        { TallyType(TallyArray { TallyType(kInf) }), true }, // elements are checked for their type only
        { TallyType(TallyArray { TallyType(TallyOpaque { "set" }) }), false },
        { TallyType(TallyDictionary {}), true },
        { TallyType(TallyDictionary { { "a", TallyType(kNaN) } }), true },
        { TallyType(TallyDictionary { { "a", TallyType(TallyOpaque { "obj" }) } }), false },
        { TallyType(TallyOpaque { "obj" }), false },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.value.isValidNestedTypeAndValue(), c.valid) << c.value.description();
    }
}

TEST(TallyTypeTest, EqualityAcrossNumberKindsIsExact)
{
    struct Case
    {
        TallyType lhs;
        TallyType rhs;
        bool equal;
    };
    const Case cases[] = {
        { 5, 5, true },
        { 5, 5.0, true },
        { 5, 5.5, false },
        { 5.0, 5, true },
        { 5, std::uint64_t(5), true },
        { std::uint64_t(5), 5, true },
        { -1, std::uint64_t(0xFFFFFFFFFFFFFFFF), false }, // no wrap-around
        { std::uint64_t(0xFFFFFFFFFFFFFFFF), 1.8446744073709552e19, false }, // 2^64 is not a uint64
        { std::int64_t(9007199254740993), 9007199254740992.0, false }, // 2^53 + 1 is not the double 2^53
        { std::int64_t(9007199254740992), 9007199254740992.0, true },
        { std::numeric_limits<std::int64_t>::min(), -9223372036854775808.0, true },
        { 1.5f, 1.5, true },
        { 0.1f, 0.1, false }, // a float 0.1 is not the double 0.1
        { 0.1, 0.1, true },
        { kNaN, kNaN, false },
        { kNaN, 1, false },
        { 0.0, -0.0, true },
        { 1, true, false }, // Booleans are not numbers
        { true, 1, false },
        { true, true, true },
        { false, true, false },
        { 1, "1", false },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.lhs.equals(c.rhs), c.equal) << c.lhs.description() << " vs " << c.rhs.description();
    }
}

TEST(TallyTypeTest, EqualityOfOtherKinds)
{
    struct Case
    {
        TallyType lhs;
        TallyType rhs;
        bool equal;
    };
    const Case cases[] = {
        { "x", "x", true },
        { "x", "y", false },
        { "", "", true },
        { "1", 1, false },
        { TallyType(TallyDate { 100.25 }), TallyType(TallyDate { 100.25 }), true },
        { TallyType(TallyDate { 100.25 }), TallyType(TallyDate { 100.5 }), false },
        { TallyType(TallyDate { 100 }), 100, false },
        { TallyType(TallyUrl { "https://a.test/x" }), TallyType(TallyUrl { "https://a.test/x" }), true },
        { TallyType(TallyUrl { "https://a.test/x" }), "https://a.test/x", false },
        { TallyType::null(), TallyType::null(), true },
        { TallyType::null(), TallyType(), false },
        { TallyType(), TallyType(), false }, // absent equals nothing
        { TallyType(), TallyType::null(), false },
        { TallyType(), 0, false },
        { TallyType(std::optional<std::string>("x")), "x", true },
        { TallyType(std::optional<std::string>()), TallyType(std::optional<std::string>()), false },
        { TallyType(TallyOpaque { "a" }), TallyType(TallyOpaque { "a" }), false },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.lhs.equals(c.rhs), c.equal) << c.lhs.description() << " vs " << c.rhs.description();
    }
}

TEST(TallyTypeTest, EqualityOfArraysAndDictionaries)
{
    const TallyType oneTwo = TallyArray { 1, 2 };
    struct Case
    {
        TallyType lhs;
        TallyType rhs;
        bool equal;
    };
    const Case cases[] = {
        { oneTwo, TallyArray { 1, 2 }, true },
        { oneTwo, TallyArray { 2, 1 }, false },
        { oneTwo, TallyArray { 1, 2, 3 }, false },
        { oneTwo, TallyArray { 1.0, 2.0 }, true },
        { TallyArray {}, TallyArray {}, true },
        { TallyArray {}, TallyDictionary {}, false },
        { TallyArray { TallyArray { "a" } }, TallyArray { TallyArray { "a" } }, true },
        { TallyArray { kNaN }, TallyArray { kNaN }, false },
        { TallyArray { TallyType() }, TallyArray { TallyType() }, false },
        { TallyArray { TallyOpaque { "s" } }, TallyArray { TallyOpaque { "s" } }, false }, // lhs not valid
        { TallyArray { 1 }, TallyArray { TallyOpaque { "s" } }, false },
        { TallyDictionary { { "a", 1 } }, TallyDictionary { { "a", 1 } }, true },
        { TallyDictionary { { "a", 1 } }, TallyDictionary { { "b", 1 } }, false },
        { TallyDictionary { { "a", 1 } }, TallyDictionary { { "a", 2 } }, false },
        { TallyDictionary { { "a", 1 }, { "b", 2 } }, TallyDictionary { { "b", 2 }, { "a", 1 } },
            true }, // order is no part of equality
        { TallyDictionary { { "a", 1 } }, TallyDictionary { { "a", 1 }, { "b", 2 } }, false },
        { TallyDictionary {}, TallyDictionary {}, true },
        { TallyDictionary { { "a", TallyDictionary { { "b", "c" } } } },
            TallyDictionary { { "a", TallyDictionary { { "b", "c" } } } }, true },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.lhs.equals(c.rhs), c.equal) << c.lhs.description() << " vs " << c.rhs.description();
    }
}

TEST(TallyTypeTest, NumbersViewExactlyAsOtherKinds)
{
    EXPECT_EQ(TallyType(5.0).toInt(), 5);
    EXPECT_FALSE(TallyType(5.5).toInt().has_value());
    EXPECT_FALSE(TallyType(-1).toUInt().has_value());
    EXPECT_EQ(TallyType(std::uint64_t(7)).toInt(), 7);
    EXPECT_FALSE(TallyType(std::uint64_t(0x8000000000000000)).toInt().has_value());
    EXPECT_EQ(TallyType(3).toDouble(), 3.0);
    EXPECT_FALSE(TallyType(std::int64_t(9007199254740993)).toDouble().has_value());
    EXPECT_FALSE(TallyType(true).toInt().has_value());
    EXPECT_FALSE(TallyType("5").toDouble().has_value());
    EXPECT_FALSE(TallyType(kNaN).toInt().has_value());
    EXPECT_FALSE(TallyType(1e300).toInt().has_value());
}

TEST(TallyDictionaryTest, KeysKeepFirstWriteOrderAndRewritesReplaceInPlace)
{
    TallyDictionary record { { "event", "open" }, { "properties", TallyDictionary {} },
        { "event", "start" } };
    record.set("token", "abc");
    record.set("properties", 1);
    record["time"] = 12.5;
    EXPECT_THAT(record.keys(), ElementsAre("event", "properties", "token", "time"));
    EXPECT_TRUE(record.find("event")->equals("start"));
    EXPECT_TRUE(record.find("properties")->equals(1));
    EXPECT_EQ(record.find("missing"), nullptr);

    EXPECT_TRUE(record.remove("properties"));
    EXPECT_FALSE(record.remove("properties"));
    EXPECT_THAT(record.keys(), ElementsAre("event", "token", "time"));
}

TEST(TallyDictionaryTest, MergingLetsTheRightSideWin)
{
    TallyDictionary left { { "a", 1 }, { "b", 2 } };
    const TallyDictionary right { { "b", 20 }, { "c", 30 } };
    left += right;
    EXPECT_THAT(left.keys(), ElementsAre("a", "b", "c"));
    EXPECT_TRUE(left.find("a")->equals(1));
    EXPECT_TRUE(left.find("b")->equals(20));
    EXPECT_TRUE(left.find("c")->equals(30));

    left += left; // merging with itself changes nothing
    EXPECT_EQ(left.size(), 3u);
}

TEST(TallyTypeTest, ConstructorsPickTheExpectedKind)
{
    using Kind = TallyType::Kind;
    EXPECT_EQ(TallyType().kind(), Kind::Absent);
    EXPECT_EQ(TallyType(true).kind(), Kind::Bool);
    EXPECT_EQ(TallyType(7).kind(), Kind::Int);
    EXPECT_EQ(TallyType(7u).kind(), Kind::UInt);
    EXPECT_EQ(TallyType(std::int16_t(7)).kind(), Kind::Int);
    EXPECT_EQ(TallyType(7.0).kind(), Kind::Double);
    EXPECT_EQ(TallyType(7.0f).kind(), Kind::Float);
    EXPECT_EQ(TallyType("t").kind(), Kind::String); // text, not a Boolean through the pointer
    EXPECT_EQ(TallyType(static_cast<const char *>(nullptr)).kind(), Kind::String);
    EXPECT_EQ(TallyType(std::optional<int>()).kind(), Kind::Absent);
    EXPECT_EQ(TallyType(std::optional<int>(3)).kind(), Kind::Int);
}
