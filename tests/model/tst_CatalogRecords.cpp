#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "model/AppSortOption.h"
#include "model/FileItem.h"
#include "model/GridItemIdentifier.h"

#include <gtest/gtest.h>

using namespace brimlark;
using json = nlohmann::ordered_json;

TEST(GridItemIdentifier, ParsesTextForms)
{
    auto folder
        = GridItemIdentifier::fromString(QStringLiteral("folder:d3b07384-d113-4e4e-a343-a33a0a26f3d3"));
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->isFolder());
    EXPECT_EQ(folder->stringRepresentation(), QStringLiteral("folder:D3B07384-D113-4E4E-A343-A33A0A26F3D3"));

    auto empty = GridItemIdentifier::fromString(QStringLiteral("category:"));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->categoryName(), QString());
    auto colons = GridItemIdentifier::fromString(QStringLiteral("category:Dev: Tools:"));
    ASSERT_TRUE(colons);
    EXPECT_EQ(colons->categoryName(), QStringLiteral("Dev: Tools:"));
    EXPECT_EQ(colons->stringRepresentation(), QStringLiteral("category:Dev: Tools:"));

    for (const char *bad : { "folder:", "folder:not-a-uuid", "folder:{d3b07384-d113-4e4e-a343-a33a0a26f3d3}",
             "Folder:d3b07384-d113-4e4e-a343-a33a0a26f3d3", "Category:Games", "Games", "" }) {
        EXPECT_FALSE(GridItemIdentifier::fromString(QString::fromLatin1(bad))) << bad;
    }
}

TEST(GridItemIdentifier, CodedFormNeedsExactlyOneKnownKey)
{
    const QUuid id = QUuid::createUuid();
    for (const auto &item :
        { GridItemIdentifier::folder(id), GridItemIdentifier::category(QStringLiteral("Games")) }) {
        auto back = GridItemIdentifier::fromJson(item.toJson());
        ASSERT_TRUE(std::holds_alternative<GridItemIdentifier>(back));
        EXPECT_EQ(std::get<GridItemIdentifier>(back), item);
    }
    for (const char *text :
        { R"({})", R"({"folder":{"id":"D3B07384-D113-4E4E-A343-A33A0A26F3D3"},"category":{"name":"x"}})" }) {
        auto result = GridItemIdentifier::fromJson(json::parse(text));
        ASSERT_TRUE(std::holds_alternative<GridItemIdentifier::DecodeError>(result)) << text;
        EXPECT_EQ(std::get<GridItemIdentifier::DecodeError>(result).description,
            "Invalid number of keys found, expected one.");
    }
    auto extra = GridItemIdentifier::fromJson(json::parse(R"({"other":1,"category":{"name":"Games"}})"));
    ASSERT_TRUE(std::holds_alternative<GridItemIdentifier>(extra));
    EXPECT_FALSE(std::holds_alternative<GridItemIdentifier>(
        GridItemIdentifier::fromJson(json::parse(R"({"category":{"title":"Games"}})"))));
    EXPECT_FALSE(std::holds_alternative<GridItemIdentifier>(
        GridItemIdentifier::fromJson(json::parse(R"({"folder":{"id":"nope"}})"))));
}

TEST(GridItemIdentifier, EqualityAndHashSeparateTheCases)
{
    const QUuid id = QUuid::createUuid();
    EXPECT_EQ(GridItemIdentifier::folder(id), GridItemIdentifier::folder(id));
    EXPECT_FALSE(GridItemIdentifier::category(id.toString(QUuid::WithoutBraces).toUpper())
        == GridItemIdentifier::folder(id));
}

TEST(AppFolder, ReadsOptionalKeysAndRejectsMissingRequiredOnes)
{
    const char *base
        = R"({"id":"d3b07384-d113-4e4e-a343-a33a0a26f3d3","name":"Work","appURLs":["file:///A.app/"],
        "isPinned":true,"icon":"folder","color":"#FF0000","createdAt":10.5})";
    auto folder = AppFolder::fromJson(json::parse(base));
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->sortOrder, 0);
    EXPECT_FALSE(folder->parentFolderID);
    EXPECT_DOUBLE_EQ(AppFolder::secondsSinceReferenceDate(folder->createdAt), 10.5);

    auto withNull = json::parse(base);
    withNull["parentFolderID"] = nullptr;
    withNull["sortOrder"] = nullptr;
    ASSERT_TRUE(AppFolder::fromJson(withNull));
    EXPECT_FALSE(AppFolder::fromJson(withNull)->parentFolderID);

    for (const char *key : { "id", "name", "appURLs", "isPinned", "icon", "color", "createdAt" }) {
        auto missing = json::parse(base);
        missing.erase(key);
        EXPECT_FALSE(AppFolder::fromJson(missing)) << key;
    }
    auto fractional = json::parse(base);
    fractional["sortOrder"] = 1.5;
    EXPECT_FALSE(AppFolder::fromJson(fractional));
    auto textOrder = json::parse(base);
    textOrder["sortOrder"] = "2";
    EXPECT_FALSE(AppFolder::fromJson(textOrder));
    auto badUrls = json::parse(base);
    badUrls["appURLs"] = json::array({ 1 });
    EXPECT_FALSE(AppFolder::fromJson(badUrls));
}

TEST(AppFolder, RoundTripsWithUpperCaseIdsAndOptionalParent)
{
    AppFolder f;
    f.id = QUuid::createUuid();
    f.name = QStringLiteral("Ünïcode");
    f.appURLs = { QStringLiteral("file:///Applications/A.app/") };
    f.icon = QStringLiteral("star");
    f.color = QStringLiteral("#00FF00");
    f.createdAt = AppFolder::dateFromReferenceSeconds(750000000.25);
    f.sortOrder = -3;
    json j = f.toJson();
    EXPECT_FALSE(j.contains("parentFolderID"));
    EXPECT_EQ(j.begin().key(), "id");
    EXPECT_EQ(
        QString::fromStdString(j["id"].get<std::string>()), f.id.toString(QUuid::WithoutBraces).toUpper());
    f.parentFolderID = QUuid::createUuid();
    auto back = AppFolder::fromJson(json::parse(f.toJson().dump()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name, f.name);
    EXPECT_EQ(back->appURLs, f.appURLs);
    EXPECT_EQ(back->parentFolderID, f.parentFolderID);
    EXPECT_EQ(back->sortOrder, -3);
    EXPECT_EQ(back->createdAt, f.createdAt);
}

TEST(CatalogRecords, IdentityIgnoresTheOtherFields)
{
    AppFolder a;
    a.id = QUuid::createUuid();
    a.name = QStringLiteral("One");
    AppFolder b = a;
    b.name = QStringLiteral("Two");
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));

    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/Applications/Mail.app/"));
    AppItem x(QStringLiteral("Mail"), url, QStringLiteral("Productivity"));
    AppItem y(QStringLiteral("Other"), url, QStringLiteral("Other"));
    EXPECT_EQ(x, y);
    EXPECT_EQ(qHash(x), qHash(y));
    EXPECT_EQ(x.id(), QStringLiteral("/Applications/Mail.app"));
    EXPECT_EQ(x.urlText(), QStringLiteral("file:///Applications/Mail.app/"));

    FileItem f1(
        QStringLiteral("a.txt"), QStringLiteral("/a.txt"), QUrl::fromLocalFile(QStringLiteral("/a.txt")));
    FileItem f2(
        QStringLiteral("a.txt"), QStringLiteral("/a.txt"), QUrl::fromLocalFile(QStringLiteral("/a.txt")));
    EXPECT_FALSE(f1 == f2);
}

TEST(AppSortOption, TextsAreExactAndOrdered)
{
    QStringList texts;
    for (auto option : AppSortOptions::allCases()) {
        texts << AppSortOptions::text(option);
        EXPECT_EQ(AppSortOptions::fromText(AppSortOptions::text(option)), option);
    }
    EXPECT_EQ(texts,
        (QStringList { QStringLiteral("A to Z"), QStringLiteral("Z to A"), QStringLiteral("Category"),
            QStringLiteral("Recently Used") }));
    for (const char *bad : { "a to z", "CATEGORY", "recently used", "", "A to Z " }) {
        EXPECT_FALSE(AppSortOptions::fromText(QString::fromLatin1(bad))) << bad;
    }
}
