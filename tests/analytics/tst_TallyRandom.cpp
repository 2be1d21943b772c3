#include "analytics/TallyRandom.h"
#include "support/SequenceTallyRandom.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

using namespace brimlark;
using ::testing::ElementsAre;

TEST(TallyRandomTest, UniformStaysBelowItsBoundAndCoversIt)
{
    SystemTallyRandom random;
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 3000; ++i) {
        const auto value = random.uniform(30);
        ASSERT_LT(value, 30u);
        seen.insert(value);
    }
    EXPECT_EQ(seen.size(), 30u); // each of 0..29 turns up, as the back-off jitter needs
    EXPECT_EQ(random.uniform(0), 0u);
    EXPECT_EQ(random.uniform(1), 0u);
}

TEST(TallyRandomTest, Next32VariesAcrossCalls)
{
    SystemTallyRandom random;
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 100; ++i) {
        seen.insert(random.next32());
    }
    EXPECT_GT(seen.size(), 95u);
}

TEST(TallyRandomTest, SequenceSourceRepeatsItsValues)
{
    SequenceTallyRandom random({ 5, 31, 0xFFFFFFFF });
    std::vector<std::uint32_t> values;
    for (int i = 0; i < 4; ++i) {
        values.push_back(random.next32());
    }
    EXPECT_THAT(values, ElementsAre(5u, 31u, 0xFFFFFFFFu, 5u));
    EXPECT_EQ(random.uniform(30), 1u); // 31 % 30
    EXPECT_EQ(random.uniform(0), 0u);
}
