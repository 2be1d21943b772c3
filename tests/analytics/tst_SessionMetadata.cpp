#include "analytics/SessionMetadata.h"
#include "analytics/TallyRandom.h"
#include "support/SequenceTallyRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace brimlark;

namespace {

const TallyDictionary &block(const TallyDictionary &dict)
{
    static const TallyDictionary s_empty;
    const TallyType *metadata = dict.find("$tl_metadata");
    return metadata && metadata->get<TallyDictionary>() ? *metadata->get<TallyDictionary>() : s_empty;
}

std::uint64_t sequenceOf(const TallyDictionary &dict)
{
    const TallyType *value = block(dict).find("$tl_session_seq_id");
    return value && value->get<std::uint64_t>() ? *value->get<std::uint64_t>() : 999;
}

std::string textOf(const TallyDictionary &dict, std::string_view key)
{
    const TallyType *value = block(dict).find(key);
    return value && value->get<std::string>() ? *value->get<std::string>() : std::string();
}

// Sixteen lower-case hexadecimal digits.
bool isIdText(const std::string &text)
{
    return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

} // namespace

TEST(SessionMetadata, BlockShapeAndIdsFromTheRandomSource)
{
    auto random = std::make_shared<SequenceTallyRandom>(
        std::vector<std::uint32_t> { 0xdeadbeef, 0x1, 0xabc, 0xffffffff });
    SessionMetadata metadata(random);
    EXPECT_EQ(metadata.sessionID(), "deadbeef00000001");

    const TallyDictionary dict = metadata.toDict(true);
    EXPECT_EQ(dict.keys(), (std::vector<std::string> { "$tl_metadata" }));
    EXPECT_EQ(block(dict).keys(),
        (std::vector<std::string> {
            "$tl_event_id", "$tl_session_id", "$tl_session_seq_id", "$tl_session_start_sec" }));
    EXPECT_EQ(textOf(dict, "$tl_event_id"), "00000abcffffffff");
    EXPECT_EQ(textOf(dict, "$tl_session_id"), "deadbeef00000001");
    const TallyType *start = block(dict).find("$tl_session_start_sec");
    ASSERT_TRUE(start && start->get<std::uint64_t>());
    EXPECT_EQ(*start->get<std::uint64_t>(), 0u);
}

TEST(SessionMetadata, EventsAndNonEventsCountSeparately)
{
    SessionMetadata metadata(std::make_shared<SystemTallyRandom>());
    const std::vector<std::pair<bool, std::uint64_t>> calls {
        { true, 0 },
        { true, 1 },
        { false, 0 },
        { false, 1 },
        { true, 2 },
        { false, 2 },
    };
    std::set<std::string> eventIds;
    for (const auto &[isEvent, expected] : calls) {
        const TallyDictionary dict = metadata.toDict(isEvent);
        EXPECT_EQ(sequenceOf(dict), expected) << (isEvent ? "event" : "profile or group");
        EXPECT_EQ(textOf(dict, "$tl_session_id"), metadata.sessionID());
        const std::string eventId = textOf(dict, "$tl_event_id");
        EXPECT_TRUE(isIdText(eventId)) << eventId;
        eventIds.insert(eventId);
    }
    EXPECT_EQ(eventIds.size(), calls.size());
    EXPECT_EQ(metadata.eventsCounter(), 3u);
    EXPECT_EQ(metadata.peopleCounter(), 3u);
    EXPECT_TRUE(isIdText(metadata.sessionID()));
    // Another instance's session is its own.
    EXPECT_NE(SessionMetadata(std::make_shared<SystemTallyRandom>()).sessionID(), metadata.sessionID());
}
