#include "platform/base/BinaryPlistWriter.h"
#include "platform/base/PlistReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace brimlark;

namespace {

std::uint64_t bigEndian(const std::string &bytes, std::size_t at, std::size_t width)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < width; ++i) {
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return v;
}

// The bytes of the objects: between the magic and the offset table, whose
// place the trailer's last eight bytes give.
std::string objectBytes(const std::string &document)
{
    const std::uint64_t table = bigEndian(document, document.size() - 8, 8);
    return document.substr(8, table - 8);
}

std::string bytes(std::initializer_list<unsigned> list)
{
    std::string out;
    for (unsigned b : list) {
        out.push_back(char(b));
    }
    return out;
}

} // namespace

// Each value takes the smallest form that reads back as the same type: other
// readers of the format rely on these exact markers.
TEST(BinaryPlistWriterTest, EachValueTakesItsShortestFaithfulForm)
{
    struct Case
    {
        const char *name;
        DefaultsValue value;
        std::string object;
        bool readsBackUnchanged;
    };
    const Case cases[] = {
        { "one byte", DefaultsValue(std::int64_t(255)), bytes({ 0x10, 0xFF }), true },
        { "two bytes", DefaultsValue(std::int64_t(256)), bytes({ 0x11, 0x01, 0x00 }), true },
        { "four bytes", DefaultsValue(std::int64_t(65536)), bytes({ 0x12, 0, 1, 0, 0 }), true },
        { "eight bytes", DefaultsValue(std::int64_t(1) << 32), bytes({ 0x13, 0, 0, 0, 1, 0, 0, 0, 0 }),
            true },
        { "negative takes eight", DefaultsValue(std::int64_t(-1)),
            bytes({ 0x13, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF }), true },
        { "unsigned takes sixteen", DefaultsValue::fromUnsigned(std::numeric_limits<std::uint64_t>::max()),
            bytes({ 0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF }), true },
        { "real", DefaultsValue(2.5), bytes({ 0x23, 0x40, 0x04, 0, 0, 0, 0, 0, 0 }), true },
        { "date", DefaultsValue(DefaultsValue::Date { 0 }), bytes({ 0x33, 0, 0, 0, 0, 0, 0, 0, 0 }), true },
        { "true", DefaultsValue(true), bytes({ 0x09 }), true },
        { "data", DefaultsValue::fromBytes(std::string("\0\x01\xff", 3)), bytes({ 0x43, 0x00, 0x01, 0xFF }),
            true },
        { "ascii", DefaultsValue("abc"),
            "\x53"
            "abc",
            true },
        { "long ascii", DefaultsValue(std::string(15, 'x')),
            bytes({ 0x5F, 0x10, 0x0F }) + std::string(15, 'x'), true },
        { "other text as UTF-16", DefaultsValue("é"), bytes({ 0x61, 0x00, 0xE9 }), true },
        { "beyond the plane as a pair", DefaultsValue("\xF0\x9F\x98\x80"),
            bytes({ 0x62, 0xD8, 0x3D, 0xDE, 0x00 }), true },
        { "a stray byte", DefaultsValue("a\xff"), bytes({ 0x62, 0x00, 0x61, 0xFF, 0xFD }), false },
        { "an overlong form", DefaultsValue("\xC0\x80"), bytes({ 0x61, 0xFF, 0xFD }), false },
        { "an encoded surrogate", DefaultsValue("\xED\xA0\x80"), bytes({ 0x61, 0xFF, 0xFD }), false },
        { "a sequence cut short", DefaultsValue("\xE2\x82"), bytes({ 0x62, 0xFF, 0xFD, 0xFF, 0xFD }), false },
    };
    for (const Case &c : cases) {
        const auto document = BinaryPlistWriter().writeValue(c.value);
        ASSERT_TRUE(document) << c.name;
        EXPECT_EQ(document->substr(0, 8), "bplist00") << c.name;
        EXPECT_EQ(objectBytes(*document), c.object) << c.name;
        const auto read = PlistReader::value(document->data(), document->size());
        ASSERT_TRUE(read) << c.name;
        EXPECT_EQ(*read == c.value, c.readsBackUnchanged) << c.name;
    }
}

// A date that is not finite, and a text holding a NUL (which readers take
// for its end, or abort on).
TEST(BinaryPlistWriterTest, AValueTheFormatCannotHoldIsRefusedWhereverItIs)
{
    const DefaultsValue refused[] = { DefaultsValue(DefaultsValue::Date { std::nan("") }),
        DefaultsValue(DefaultsValue::Date { std::numeric_limits<double>::infinity() }),
        DefaultsValue(std::string("a\0b", 3)), DefaultsValue(std::string("\0\xC3\xA9", 3)) };
    for (const DefaultsValue &value : refused) {
        EXPECT_FALSE(BinaryPlistWriter().writeValue(value));
        EXPECT_FALSE(BinaryPlistWriter().writeValue(DefaultsValue(DefaultsValue::Array { value })));
        EXPECT_FALSE(BinaryPlistWriter().write(DefaultsValue::Dictionary { { "d", value } }));
    }
    EXPECT_FALSE(BinaryPlistWriter().write(DefaultsValue::Dictionary { { std::string("k\0", 2), 1 } }));
}

// References widen with the number of objects, offsets with the document's
// size; both are in the trailer.
TEST(BinaryPlistWriterTest, ReferenceAndOffsetWidthsFollowTheDocument)
{
    struct Case
    {
        int entries;
        std::size_t valueBytes;
        int refSize;
        int offsetSize;
    };
    // A dictionary of n entries holds 2n + 1 objects.
    const Case cases[] = { { 2, 1, 1, 1 }, { 127, 1, 1, 2 }, { 128, 1, 2, 2 }, { 2, 70000, 1, 4 } };
    for (const Case &c : cases) {
        DefaultsValue::Dictionary dictionary;
        for (int i = 0; i < c.entries; ++i) {
            dictionary.emplace("k" + std::to_string(i), DefaultsValue(std::string(c.valueBytes, 'v')));
        }
        const auto document = BinaryPlistWriter().write(dictionary);
        ASSERT_TRUE(document) << c.entries;
        const std::size_t trailer = document->size() - 32;
        EXPECT_EQ(int(document->at(trailer + 6)), c.offsetSize) << c.entries;
        EXPECT_EQ(int(document->at(trailer + 7)), c.refSize) << c.entries;
        EXPECT_EQ(bigEndian(*document, trailer + 8, 8), std::uint64_t(2 * c.entries + 1)) << c.entries;
        EXPECT_EQ(PlistReader::dictionary(*document), dictionary) << c.entries;
    }
}
