#include "platform/gui/AppIconCache.h"

#include <gtest/gtest.h>

using namespace brimlark;

namespace {
// 32 × 32 × 4 bytes = 4096 bytes each.
QImage icon(QRgb colour)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}
constexpr qsizetype IconBytes = 32 * 32 * 4;
} // namespace

TEST(AppIconCache, StaysWithinItsByteBoundDroppingTheLeastRecentlyUsed)
{
    AppIconCache cache(3 * IconBytes);
    cache.insert(QStringLiteral("a"), icon(qRgb(9, 9, 9)));
    cache.insert(QStringLiteral("a"), icon(1)); // a replaced icon counts its bytes once
    EXPECT_EQ(cache.count(), 1);
    EXPECT_EQ(cache.totalBytes(), IconBytes);
    cache.insert(QStringLiteral("b"), icon(2));
    cache.insert(QStringLiteral("c"), icon(3));
    EXPECT_EQ(cache.totalBytes(), 3 * IconBytes);
    ASSERT_TRUE(cache.find(QStringLiteral("a"))); // a is now the most recent
    cache.insert(QStringLiteral("d"), icon(4));
    EXPECT_EQ(cache.count(), 3);
    EXPECT_LE(cache.totalBytes(), cache.maxBytes());
    EXPECT_FALSE(cache.contains(QStringLiteral("b")));
    for (const char *key : { "a", "c", "d" }) {
        EXPECT_TRUE(cache.contains(QString::fromLatin1(key))) << key;
    }
    EXPECT_EQ(cache.find(QStringLiteral("d"))->pixel(0, 0), icon(4).pixel(0, 0));
    EXPECT_EQ(cache.find(QStringLiteral("a"))->pixel(0, 0), icon(1).pixel(0, 0));
}

TEST(AppIconCache, RefusesIconsBiggerThanTheBoundAndNullImages)
{
    AppIconCache cache(IconBytes / 2);
    cache.insert(QStringLiteral("big"), icon(1));
    cache.insert(QStringLiteral("null"), QImage());
    EXPECT_EQ(cache.count(), 0);
    EXPECT_EQ(cache.totalBytes(), 0);
}

TEST(AppIconCache, InsertIfRoomNeverDropsProtectedIcons)
{
    AppIconCache cache(2 * IconBytes);
    cache.insert(QStringLiteral("old"), icon(1));
    const quint64 since = cache.currentStamp();
    // Dropping an icon from before the stamp is allowed.
    EXPECT_TRUE(cache.insertIfRoom(QStringLiteral("p1"), icon(2), since));
    EXPECT_TRUE(cache.insertIfRoom(QStringLiteral("p2"), icon(3), since));
    EXPECT_FALSE(cache.contains(QStringLiteral("old")));
    // Now only protected icons could make room: refused, nothing dropped.
    EXPECT_FALSE(cache.insertIfRoom(QStringLiteral("p3"), icon(4), since));
    EXPECT_TRUE(cache.contains(QStringLiteral("p1")));
    EXPECT_TRUE(cache.contains(QStringLiteral("p2")));
    EXPECT_FALSE(cache.contains(QStringLiteral("p3")));
    // A plain insert still makes room.
    cache.insert(QStringLiteral("p3"), icon(4));
    EXPECT_TRUE(cache.contains(QStringLiteral("p3")));
    EXPECT_EQ(cache.count(), 2);
}

TEST(AppIconCache, TouchProtectsAnOlderIcon)
{
    AppIconCache cache(2 * IconBytes);
    cache.insert(QStringLiteral("a"), icon(1));
    cache.insert(QStringLiteral("b"), icon(2));
    const quint64 since = cache.currentStamp();
    EXPECT_TRUE(cache.touch(QStringLiteral("a")));
    EXPECT_FALSE(cache.touch(QStringLiteral("zzz")));
    EXPECT_TRUE(cache.insertIfRoom(QStringLiteral("c"), icon(3), since)); // b goes
    EXPECT_TRUE(cache.contains(QStringLiteral("a")));
    EXPECT_FALSE(cache.contains(QStringLiteral("b")));
    EXPECT_FALSE(cache.insertIfRoom(QStringLiteral("d"), icon(4), since));
}
