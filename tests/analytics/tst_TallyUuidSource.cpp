#include "analytics/TallyUuidSource.h"
#include "support/SequenceTallyUuidSource.h"

#include <gtest/gtest.h>

#include <set>

using namespace brimlark;

namespace {

// 8-4-4-4-12 upper-case hexadecimal digits, version 4, variant 1.
bool hasUuidForm(const std::string &text)
{
    if (text.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-') {
                return false;
            }
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return text[14] == '4' && std::string_view("89AB").find(text[19]) != std::string_view::npos;
}

} // namespace

TEST(TallyUuidSourceTest, RandomUuidsAreUpperCaseVersion4Texts)
{
    RandomTallyUuidSource source;
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string text = source.newUuidText();
        EXPECT_EQ(text.size(), 36u);
        EXPECT_TRUE(hasUuidForm(text)) << text;
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
    TallyUuidSource::installShared(
        std::make_shared<SequenceTallyUuidSource>(std::vector<std::string> { "X" }));
    EXPECT_EQ(TallyUuidSource::shared()->newUuidText(), "X");
    TallyUuidSource::installShared(original);
    EXPECT_EQ(TallyUuidSource::shared()->newUuidText().size(), 36u);
}
