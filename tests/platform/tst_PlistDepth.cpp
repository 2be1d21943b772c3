#include "HostileFiles.h"

#include "platform/base/PlistDepth.h"

#include <gtest/gtest.h>

using namespace brimlark;
using namespace brimlark::test;

TEST(PlistDepth, MeasuresNestingInBothForms)
{
    const QByteArray comment("<!-- <array><array><array> -->");
    struct Case
    {
        const char *name;
        QByteArray document;
        bool accepted;
    };
    const Case cases[] = {
        { "xml at the bound", deeplyNestedXml(PlistDepth::MaxNesting - 1), true },
        { "xml past the bound", deeplyNestedXml(PlistDepth::MaxNesting + 1), false },
        { "xml of megabytes", deeplyNestedXml(250000), false },
        { "tags in comments do not count", comment.repeated(200) + deeplyNestedXml(3), true },
        { "self-closing tags do not nest",
            QByteArray("<plist><array>") + QByteArray("<true/>").repeated(500) + "</array></plist>", true },
        { "binary at the bound", deeplyNestedBinary(PlistDepth::MaxNesting), true },
        { "binary past the bound", deeplyNestedBinary(PlistDepth::MaxNesting + 1), false },
        { "binary of megabytes", deeplyNestedBinary(350000), false },
        { "not a list at all", QByteArray("garbage"), true },
        // The parser takes a single quote for a plain character...
        { "a single quote hides nothing", quoteHiddenNestingXml(200000), false },
        // ...but steps over a double-quoted text, closing tags and all.
        { "closing tags inside double quotes do not count",
            "<plist><dict><key>k</key>" + QByteArray("<array a=\"</array></array>\">").repeated(200), false },
        { "a double-quoted '>' does not end the tag",
            "<plist><array a=\">\"><array b=\"<\"/></array></plist>", true },
        { "copies of shared references count", sharedReferenceBinary(24), false },
        { "a little sharing is fine", sharedReferenceBinary(10), true },
        // The parser reads a tag's name and a text as C strings.
        { "a NUL in an array tag", nulTagNestingXml(200000), false },
        { "a NUL in a dict tag", nulTagNestingXml(200000, "<dict"), false },
        { "a NUL in a plist tag", nulTagNestingXml(200000, "<plist"), false },
        { "a NUL in an XML string", nulStringInfoList(false), false },
        { "a NUL in a UTF-16 string", nulStringInfoList(true), false },
        // Copies of one long leaf count in bytes, not only in nodes.
        { "shared long leaves", sharedLeavesBinary(60000, 64 * 1024), false },
        { "a few references to a long leaf", sharedLeavesBinary(16, 64 * 1024), true },
        // An integer the parser would cut or clamp to 64 bits.
        { "an integer of sixteen full bytes", wideIntegerBinary(), false },
        { "xml integers at the 64-bit bounds",
            "<plist><array><integer>18446744073709551615</integer><integer> -9223372036854775808 "
            "</integer></array></plist>",
            true },
        { "xml integer past the unsigned bound",
            "<plist><array><integer>18446744073709551616</integer></array></plist>", false },
        { "xml integer past the signed bound",
            "<plist><array><integer>-9223372036854775809</integer></array></plist>", false },
        { "xml integer the parser would read as octal", "<plist><integer>077</integer></plist>", false },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PlistDepth::withinLimit(c.document.constData(), size_t(c.document.size())), c.accepted)
            << c.name;
    }
}

TEST(PlistDepth, RefusesBinaryListsThatPointOutsideOrInACycle)
{
    const QByteArray cycle = binaryList({ char(0xA1) + bigEndian(1, 4), char(0xA1) + bigEndian(0, 4) });
    const QByteArray outside = binaryList({ char(0xA1) + bigEndian(7, 4) });
    const QByteArray shared
        = binaryList({ char(0xA2) + bigEndian(1, 4) + bigEndian(1, 4), QByteArray(1, char(0x09)) });
    EXPECT_FALSE(PlistDepth::withinLimit(cycle.constData(), size_t(cycle.size())));
    EXPECT_FALSE(PlistDepth::withinLimit(outside.constData(), size_t(outside.size())));
    EXPECT_TRUE(PlistDepth::withinLimit(shared.constData(), size_t(shared.size())));
}
