#include "model/UrlTextIndex.h"
#include "support/CatalogApps.h"

#include <gtest/gtest.h>

using namespace brimlark;
using test::app;

TEST(UrlTextIndex, FindsTheFirstApplicationOfEachTextAndNoOther)
{
    QList<AppItem> apps;
    for (int i = 0; i < 300; ++i) {
        apps << app(QStringLiteral("App %1").arg(i));
    }
    apps << app(QStringLiteral("App 7"), QStringLiteral("Games")) << app(QStringLiteral("Only"));
    const UrlTextIndex index(apps);
    for (qsizetype i = 0; i < 300; ++i) {
        EXPECT_EQ(index.indexOf(apps[i].urlText()), i);
    }
    EXPECT_EQ(index.indexOf(apps.last().urlText()), apps.size() - 1);
    EXPECT_EQ(index.indexOf(app(QStringLiteral("App 300")).urlText()), -1);
    EXPECT_FALSE(index.contains(app(QStringLiteral("Only"), QString(), QStringLiteral("/Other")).urlText()));
    EXPECT_FALSE(UrlTextIndex().contains(apps[0].urlText()));
}
