#include "HostileFiles.h"
#include "JournalFrames.h"

#include "platform/base/JournalRecord.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

using namespace brimlark;
using namespace brimlark::test;

namespace {

std::vector<JournalRecord> readAll(const std::string &journal)
{
    std::vector<JournalRecord> out;
    JournalRecord::readAll(journal, [&out](JournalRecord &&record) { out.push_back(std::move(record)); });
    return out;
}

} // namespace

// A key is bytes, and a value keeps its type through the record.
TEST(JournalRecordTest, RecordsReadBackInOrderWithTheirKeysAndValues)
{
    const std::string oddKey("k\0\xff/..", 6);
    const DefaultsValue nested(
        DefaultsValue::Dictionary { { "list", DefaultsValue(DefaultsValue::Array { DefaultsValue("only") }) },
            { "when", DefaultsValue(DefaultsValue::Date { -0.5 }) } });
    const std::string journal = std::string(JournalRecord::Header) + *JournalRecord::set(oddKey, nested)
        + *JournalRecord::remove(oddKey) + *JournalRecord::set("", DefaultsValue(std::int64_t(-7)));
    const auto records = readAll(journal);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].operation, JournalRecord::Operation::Set);
    EXPECT_EQ(records[0].key, oddKey);
    EXPECT_EQ(records[0].value, nested);
    EXPECT_EQ(records[1].operation, JournalRecord::Operation::Remove);
    EXPECT_EQ(records[1].key, oddKey);
    EXPECT_FALSE(records[1].value);
    EXPECT_EQ(records[2].key, "");
    EXPECT_EQ(records[2].value, DefaultsValue(std::int64_t(-7)));
    EXPECT_FALSE(JournalRecord::set(
        "bad", DefaultsValue(DefaultsValue::Date { std::numeric_limits<double>::infinity() })));
}

// Whatever follows two good records, reading stops at the first record that
// is torn (cut short, or not as written) and keeps the two; a whole record
// that does not decode is skipped, and the one after it still counts.
TEST(JournalRecordTest, ReadingStopsAtATornRecordAndSkipsOneThatDoesNotDecode)
{
    const std::string good = *JournalRecord::set("a", DefaultsValue(1)) + *JournalRecord::remove("a");
    const std::string third = *JournalRecord::set("b", DefaultsValue("two"));
    std::string flipped = third;
    flipped.back() ^= 0x01;
    std::string longer = third;
    longer.replace(0, 4, littleEndian(1u << 29));
    const std::string value = third.substr(JournalRecord::RecordHeader + 5 + 1);
    struct Case
    {
        const char *name;
        std::string tail;
        std::size_t read;
    };
    const Case cases[] = {
        { "sound", third, 4 },
        { "cut short", third.substr(0, third.size() - 1), 2 },
        { "a header cut short", third.substr(0, 5), 2 },
        { "checksum does not match", flipped, 2 },
        { "length past the end", longer, 2 },
        { "payload too short for a key", framed(std::string(4, '\0')), 3 },
        { "unknown operation", framed(payload(3, "b", "")), 3 },
        { "removal with a value", framed(payload(2, "b", value)), 3 },
        { "set without a value", framed(payload(1, "b", "")), 3 },
        { "set with no property list", framed(payload(1, "b", "not a list")), 3 },
        { "key longer than the payload", framed(std::string(1, '\1') + littleEndian(50) + "b"), 3 },
        // Read by the same parser as the settings file, with its bounds.
        { "value that would expand without bound",
            framed(payload(1, "b", test::sharedReferenceBinary(24).toStdString())), 3 },
        { "value holding a NUL", framed(payload(1, "b", test::nulStringInfoList(true).toStdString())), 3 },
        { "value wider than 64 bits", framed(payload(1, "b", test::wideIntegerBinary().toStdString())), 3 },
    };
    for (const Case &c : cases) {
        std::size_t applied = 0;
        const std::size_t skipped
            = JournalRecord::readAll(std::string(JournalRecord::Header) + good + c.tail + third,
                [&applied](JournalRecord &&) { ++applied; });
        EXPECT_EQ(applied, c.read) << c.name;
        EXPECT_EQ(skipped, c.read == 3 ? 1u : 0u) << c.name;
    }
    EXPECT_TRUE(readAll("BLJRNL2\n" + good).empty());
    EXPECT_TRUE(readAll(good).empty());
}
