#include "platform/core/PathComponent.h"

#include <gtest/gtest.h>

using namespace brimlark;

// The guard the bundle reader and the icon lookup share before joining a
// name from Info.plist to the bundle's folder.
TEST(PathComponent, AcceptsOnlyOnePlainEntryOfAFolder)
{
    struct Case
    {
        const char *name;
        QString component;
        bool plain;
    };
    const Case cases[] = {
        { "empty", QString(), false },
        { "this folder", QStringLiteral("."), false },
        { "the parent", QStringLiteral(".."), false },
        { "a path", QStringLiteral("a/b"), false },
        { "an absolute path", QStringLiteral("/bin/sh"), false },
        { "a trailing slash", QStringLiteral("Tool/"), false },
        { "a NUL inside", QStringLiteral("Tool") + QChar(0) + QStringLiteral("x"), false },
        { "a lone NUL", QString(QChar(0)), false },
        { "a plain name", QStringLiteral("Tool"), true },
        { "dots inside a name", QStringLiteral("..Tool..icns"), true },
        { "three dots", QStringLiteral("..."), true },
        { "a hidden file", QStringLiteral(".icon"), true },
        { "spaces and non-ASCII", QStringLiteral(" Wérk ⌘ "), true },
        { "a backslash is a plain character here", QStringLiteral("a\\b"), true },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(plainComponent(c.component), c.plain) << c.name;
    }
}
