#include "analytics/TallyUuidSource.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using namespace brimlark;

TEST(TallyUuidSourceTest, RandomUuidsAreUpperCaseVersion4Texts)
{
    RandomTallyUuidSource source;
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string text = source.newUuidText();
        EXPECT_EQ(text.size(), 36u);
        EXPECT_TRUE(std::regex_match(text, form)) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(TallyUuidSourceTest, SequenceSourceHandsOutItsTextsInTurn)
{
    SequenceTallyUuidSource source({ "A", "B" });
    EXPECT_EQ(source.newUuidText(), "A");
    EXPECT_EQ(source.newUuidText(), "B");
    EXPECT_EQ(source.newUuidText(), "A");
}

TEST(TallyUuidSourceTest, SharedSourceCanBeReplaced)
{
    auto original = TallyUuidSource::shared();
    TallyUuidSource::installShared(std::make_shared<SequenceTallyUuidSource>(std::vector<std::string> { "X" }));
    EXPECT_EQ(TallyUuidSource::shared()->newUuidText(), "X");
    TallyUuidSource::installShared(original);
    EXPECT_EQ(TallyUuidSource::shared()->newUuidText().size(), 36u);
}
