#include "shell/AnalyticsBridge.h"

#include <QDateTime>
#include <QUrl>

#include <gtest/gtest.h>

using namespace brimlark;

TEST(AnalyticsBridge, CarriesPlainValuesAndLeavesOutTheRest)
{
    const QVariantMap properties { { QStringLiteral("app_name"), QStringLiteral("Mail") },
        { QStringLiteral("count"), 3 }, { QStringLiteral("big"), qlonglong(1) << 40 },
        { QStringLiteral("ratio"), 0.5 }, { QStringLiteral("on"), true },
        { QStringLiteral("when"), QDateTime::currentDateTimeUtc() },
        { QStringLiteral("where"), QUrl(QStringLiteral("https://example.invalid/")) } };
    const TallyDictionary out = AnalyticsBridge::toTally(properties);
    EXPECT_EQ(out.size(), 5u);
    ASSERT_TRUE(out.find("app_name"));
    ASSERT_TRUE(out.find("app_name")->get<std::string>());
    EXPECT_EQ(*out.find("app_name")->get<std::string>(), "Mail");
    EXPECT_EQ(out.find("count")->toInt(), 3);
    EXPECT_EQ(out.find("big")->toInt(), std::int64_t(1) << 40);
    EXPECT_EQ(out.find("ratio")->toDouble(), 0.5);
    ASSERT_TRUE(out.find("on")->get<bool>());
    EXPECT_TRUE(*out.find("on")->get<bool>());
    EXPECT_FALSE(out.contains("when"));
    EXPECT_FALSE(out.contains("where"));
}
