#include "analytics/AnalyticsManager.h"
#include "analytics/SerialQueue.h"
#include "analytics/Tally.h"
#include "analytics/TallyInstance.h"
#include "analytics/TallyLogger.h"
#include "analytics/TallyManager.h"
#include "analytics/TallyPersistence.h"

#include "LoopbackHttpServer.h"
#include "TallyLogCapture.h"
#include "TallyTestEnvironment.h"

#include "platform/base/Defaults.h"
#include "platform/base/SystemPaths.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

using namespace brimlark;
using namespace brimlark::test;

namespace {

const std::string s_token = "5e1f0c2b9a8d7e6f5a4b3c2d1e0f9a8b";

class AnalyticsManagerTest : public ::testing::Test
{
protected:
    AnalyticsManagerTest()
        : env(true)
    {
    }

    ~AnalyticsManagerTest() override
    {
        if (const auto instance = TallyManager::sharedInstance().mainInstance()) {
            settle(*instance, *env.executor);
        }
        Tally::removeInstance(s_token);
        for (const auto level :
            { TallyLogLevel::Debug, TallyLogLevel::Info, TallyLogLevel::Warning, TallyLogLevel::Error }) {
            TallyLogger::disableLevel(level);
        }
    }

    AnalyticsManager::Configuration configuration(std::string serverURL = {}, std::string token = s_token)
    {
        AnalyticsManager::Configuration config;
        config.serverURL = serverURL.empty() ? server.baseUrl() : serverURL;
        config.token = std::move(token);
        config.print = [this](const std::string &line) { lines.push_back(line); };
        return config;
    }

    // One start of the application: a new facade over the same defaults and store.
    AnalyticsManager &launch()
    {
        if (manager) {
            settle(*Tally::mainInstance(), *env.executor);
            Tally::removeInstance(s_token);
            env.reloadSettings();
        }
        manager = std::make_unique<AnalyticsManager>(configuration());
        lines.clear();
        manager->initialize();
        settleMain();
        return *manager;
    }

    void settleMain() { settle(*Tally::mainInstance(), *env.executor); }

    std::optional<std::string> savedId() { return Defaults::standard().string("tl_distinct_id"); }

    std::vector<std::string> sentEventNames(std::size_t fromRequest = 0)
    {
        std::vector<std::string> names;
        const auto requests = server.requests();
        for (std::size_t i = fromRequest; i < requests.size(); ++i) {
            if (requests[i].path != "/track/") {
                continue;
            }
            for (const auto &record : nlohmann::json::parse(requests[i].decodedBody)) {
                names.push_back(record["event"]);
            }
        }
        return names;
    }

    TallyTestEnvironment env;
    LoopbackHttpServer server;
    std::unique_ptr<AnalyticsManager> manager;
    std::vector<std::string> lines;
};

bool isUpperCaseUuid(const std::string &text)
{
    if (text.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const char c = text[i];
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

TEST_F(AnalyticsManagerTest, FirstStartMakesAnIdAndReportsFirstOpenThenAppOpened)
{
    launch();
    const std::optional<std::string> id = savedId();
    ASSERT_TRUE(id.has_value());
    EXPECT_TRUE(isUpperCaseUuid(*id)) << *id;
    EXPECT_EQ(lines,
        (std::vector<std::string> { "🔍 Initializing Tally...", "👤 Generated new anonymous ID: " + *id,
            "📊 Tracking Event: First App Open with props: [:]",
            "📊 Tracking Event: App Opened with props: [:]" }));
    EXPECT_EQ(Defaults::standard().boolean("tl_has_opened_before"), true);

    const auto records = receivedRecords(server, "/track/");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["event"], "$identify");
    EXPECT_EQ(records[1]["event"], "First App Open");
    EXPECT_EQ(records[2]["event"], "App Opened");
    for (const auto &record : records) {
        EXPECT_EQ(record["properties"]["distinct_id"], *id);
        EXPECT_EQ(record["properties"]["token"], s_token);
    }
    // One event names one platform: the facade's and the automatic properties agree.
    EXPECT_EQ(records[2]["properties"]["platform"], "mac");
    EXPECT_EQ(records[2]["properties"]["$os"], "macOS");
    EXPECT_EQ(records[2]["properties"]["$manufacturer"], "Apple");
    EXPECT_EQ(records[2]["properties"]["app_version"], "1.0");
    EXPECT_EQ(records[0]["properties"]["$anon_distinct_id"].get<std::string>().rfind("$device:", 0), 0u);
    EXPECT_EQ(Tally::mainInstance()->distinctId(), *id);
    EXPECT_TRUE(Tally::mainInstance()->loggingEnabled());
}

TEST_F(AnalyticsManagerTest, LaterStartsIdentifyWithTheSavedIdAndReportOnlyAppOpened)
{
    launch();
    const std::string id = savedId().value();
    const std::size_t before = server.requestCount();
    launch();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[1], "👤 Identified user with saved ID: " + id);
    EXPECT_EQ(sentEventNames(before), std::vector<std::string> { "App Opened" });
    EXPECT_EQ(savedId(), id);
}

TEST_F(AnalyticsManagerTest, ClientLoggerAnnouncesItselfBetweenTheFirstTwoLines)
{
    AnalyticsManager::Configuration config = configuration();
    config.print = nullptr; // the standard output, where the client's console sink writes as well
    AnalyticsManager facade(config);
    std::ostringstream captured;
    std::streambuf *original = std::cout.rdbuf(captured.rdbuf());
    facade.initialize();
    settleMain();
    std::cout.rdbuf(original);

    const std::string out = captured.str();
    const auto initializing = out.find("🔍 Initializing Tally...\n");
    const auto enabled
        = out.find("[Tally - TallyInstance.cpp - func loggingEnabled] (info) - TallyLogging Enabled\n");
    const auto generated = out.find("👤 Generated new anonymous ID: ");
    ASSERT_NE(initializing, std::string::npos) << out;
    ASSERT_NE(enabled, std::string::npos) << out;
    ASSERT_NE(generated, std::string::npos) << out;
    EXPECT_LT(initializing, enabled);
    EXPECT_LT(enabled, generated);
}

TEST_F(AnalyticsManagerTest, AttributionLinksTakeTheFirstNonEmptyUid)
{
    struct Row
    {
        std::string url;
        std::optional<std::string> attributed; // none: the saved id stays
    };
    const Row rows[] = {
        { "brimlark://open?uid=abc&uid=def", "abc" },
        { "brimlark://open?ref=mail&uid=a%20b%2Bc", "a b+c" },
        { "brimlark://open?uid&uid=def", std::nullopt }, // the first one has no value
        { "brimlark://open?uid=&uid=def", std::nullopt }, // nor does an empty one
        { "brimlark://open?UID=abc", std::nullopt },
        { "brimlark://open", std::nullopt },
        { "brimlark://open?", std::nullopt },
        { "brimlark://open?uid=%zz", std::nullopt },
        // Stored, it once aborted every later start.
        { "brimlark://open?uid=%00%C3%A9", std::nullopt },
        { "brimlark://open?uid=a%00", std::nullopt },
        { "brimlark://open?uid=%F4C3", std::nullopt }, // stored, it would read back otherwise
        { "brimlark://open?uid=%C3%A9t%C3%A9", "été" },
        { "not a url?uid=abc", std::nullopt },
        { "brimlark://open#uid=abc", std::nullopt },
    };
    launch();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.url);
        const std::string before = savedId().value();
        const std::size_t requestsBefore = server.requestCount();
        lines.clear();
        manager->handleURL(row.url);
        settleMain();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], "🔗 Handling incoming URL: " + row.url);
        if (!row.attributed) {
            EXPECT_EQ(lines.size(), 1u);
            EXPECT_EQ(savedId(), before);
            EXPECT_EQ(server.requestCount(), requestsBefore);
            continue;
        }
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1], "🔗 Attribution UID found: " + *row.attributed);
        EXPECT_EQ(savedId(), *row.attributed);
        EXPECT_EQ(Tally::mainInstance()->distinctId(), *row.attributed);
        const auto records = receivedRecords(server, "/track/");
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.back()["event"], "Attribution Link Captured");
        EXPECT_EQ(records.back()["properties"]["source"], "url_scheme");
        EXPECT_EQ(records.back()["properties"]["distinct_id"], *row.attributed);
    }
}

TEST_F(AnalyticsManagerTest, AnEmptySavedIdIsReplacedByANewOne)
{
    Defaults::standard().set("tl_distinct_id", DefaultsValue(std::string()));
    launch();
    const std::string id = savedId().value();
    EXPECT_TRUE(isUpperCaseUuid(id)) << id;
    EXPECT_EQ(Tally::mainInstance()->distinctId(), id);
}

TEST_F(AnalyticsManagerTest, PlatformAndVersionReplaceTheCallersValues)
{
    manager = std::make_unique<AnalyticsManager>(configuration());
    manager->setMainBundleInfo(TallyDictionary { { "CFBundleShortVersionString", "2.3" } });
    manager->initialize();
    lines.clear();
    manager->trackEvent("Search Used",
        TallyDictionary { { "query", "notes" }, { "platform", "win" }, { "app_version", "9" } });
    settleMain();
    EXPECT_EQ(lines,
        std::vector<std::string> {
            R"(📊 Tracking Event: Search Used with props: ["query": "notes", "platform": "win", "app_version": "9"])" });
    const auto records = receivedRecords(server, "/track/");
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back()["properties"]["query"], "notes");
    EXPECT_EQ(records.back()["properties"]["platform"], "mac");
    EXPECT_EQ(records.back()["properties"]["app_version"], "2.3");

    // A version that is not text counts as none.
    manager->setMainBundleInfo(TallyDictionary { { "CFBundleShortVersionString", 23 } });
    manager->trackEvent("App Launched", TallyDictionary { { "app_name", "Notes" } });
    settleMain();
    EXPECT_EQ(receivedRecords(server, "/track/").back()["properties"]["app_version"], "1.0");
    manager->setMainBundleInfo(std::nullopt);
}

TEST_F(AnalyticsManagerTest, WithoutAServerOrTokenAnalyticsIsOffAndTouchesNothing)
{
    for (const auto &[serverURL, token] :
        { std::pair { std::string("-"), s_token }, { server.baseUrl(), std::string() } }) {
        AnalyticsManager::Configuration config = configuration(serverURL, token);
        if (serverURL == "-") {
            config.serverURL.clear();
        }
        AnalyticsManager facade(config);
        EXPECT_FALSE(facade.isEnabled());
        lines.clear();
        facade.initialize();
        facade.trackEvent("App Launched", TallyDictionary { { "app_name", "Notes" } });
        facade.handleURL("brimlark://open?uid=abc");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("🔍 Analytics is off", 0), 0u) << lines[0];
        EXPECT_EQ(TallyManager::sharedInstance().mainInstance(), nullptr);
        EXPECT_FALSE(savedId().has_value());
        EXPECT_FALSE(std::filesystem::exists(SystemPaths::caches())) << SystemPaths::caches();
    }
    EXPECT_EQ(server.requestCount(), 0u);
    const auto build = AnalyticsManager::buildConfiguration();
    EXPECT_EQ(AnalyticsManager::shared().isEnabled(), !build.serverURL.empty() && !build.token.empty());
}

TEST_F(AnalyticsManagerTest, CallsBeforeInitializeQueueNothing)
{
    manager = std::make_unique<AnalyticsManager>(configuration());
    manager->trackEvent("App Launched", TallyDictionary { { "app_name", "Notes" } });
    manager->handleURL("brimlark://open?uid=abc");
    EXPECT_EQ(TallyManager::sharedInstance().mainInstance(), nullptr);
    EXPECT_FALSE(savedId().has_value());
    manager->initialize();
    settleMain();
    EXPECT_EQ(sentEventNames(), (std::vector<std::string> { "$identify", "First App Open", "App Opened" }));
}

TEST(AnalyticsManagerText, QueryItemsAndPropertyDescriptions)
{
    using Items = std::vector<std::pair<std::string, std::optional<std::string>>>;
    EXPECT_EQ(AnalyticsManager::queryItems("x://h/p?a=1&b&c=&=d#f"),
        (Items { { "a", "1" }, { "b", std::nullopt }, { "c", "" }, { "", "d" } }));
    EXPECT_EQ(AnalyticsManager::queryItems("x://h?a=%41%e2%82%ac+"), (Items { { "a", "A€+" } }));
    EXPECT_EQ(AnalyticsManager::queryItems("x://h"), Items {});
    EXPECT_EQ(AnalyticsManager::queryItems("x://h?a=%4"), std::nullopt);
    EXPECT_EQ(AnalyticsManager::queryItems("x://h?a=%g1"), std::nullopt);
    EXPECT_EQ(AnalyticsManager::queryItems("://h?a=1"), std::nullopt);
    EXPECT_EQ(AnalyticsManager::queryItems("1x://h?a=1"), std::nullopt);
    EXPECT_EQ(AnalyticsManager::queryItems("x://h?a=1 2"), std::nullopt);

    EXPECT_EQ(AnalyticsManager::describeProperties({}), "[:]");
    EXPECT_EQ(AnalyticsManager::describeProperties(TallyDictionary { { "query", "a\"b" }, { "n", 2 } }),
        R"(["query": "a\"b", "n": 2])");
}

// The application's road end to end: the start-up events, a search and a launch arrive once each;
// then the service fails for a while and recovers, and every record still arrives exactly once.
TEST_F(AnalyticsManagerTest, EveryRecordArrivesExactlyOnceThroughFailuresAndRecovery)
{
    launch();
    manager->trackEvent("Search Used", TallyDictionary { { "query", "calc" } });
    manager->trackEvent("App Launched", TallyDictionary { { "app_name", "Calculator" } });
    settleMain();
    const std::string id = savedId().value();
    const auto first = receivedRecords(server, "/track/");
    EXPECT_EQ(countBy(first, "/event"),
        (std::map<std::string, int> { { "$identify", 1 }, { "First App Open", 1 }, { "App Opened", 1 },
            { "Search Used", 1 }, { "App Launched", 1 } }));
    for (const auto &record : first) {
        const auto &props = record["properties"];
        EXPECT_EQ(props["distinct_id"], id);
        EXPECT_EQ(props["token"], s_token);
        EXPECT_TRUE(props.contains("time") && props["time"].is_number());
        EXPECT_TRUE(props.contains("$device_id"));
        EXPECT_TRUE(record["$tl_metadata"].contains("$tl_event_id"));
        if (record["event"] == "Search Used") {
            EXPECT_EQ(props["query"], "calc");
        }
        if (record["event"] == "App Launched") {
            EXPECT_EQ(props["app_name"], "Calculator");
        }
    }

    // Two refusals in a row start the back-off; the third event waits without a request.
    const std::size_t refusedFrom = server.requestCount();
    server.enqueueReply(ScriptedReply { 503, {}, "" });
    server.enqueueReply(ScriptedReply { 500, {}, "" });
    manager->trackEvent("Search Used", TallyDictionary { { "query", "mail" } });
    settleMain();
    manager->trackEvent("App Launched", TallyDictionary { { "app_name", "Mail" } });
    settleMain();
    manager->trackEvent("Search Used", TallyDictionary { { "query", "maps" } });
    settleMain();
    EXPECT_EQ(server.requestCount(), refusedFrom + 2);
    EXPECT_EQ(storedRecords(*Tally::mainInstance(), PersistenceType::Events).size(), 3u);

    // The service is back; once the back-off has run out, the 60-second timer delivers the rest.
    env.clock->advance(601);
    EXPECT_GE(env.executor->advance(60), 1u);
    settleMain();

    const auto requests = server.requests();
    std::vector<nlohmann::json> accepted;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (i == refusedFrom || i == refusedFrom + 1 || requests[i].path != "/track/") {
            continue;
        }
        for (const auto &record : nlohmann::json::parse(requests[i].decodedBody)) {
            accepted.push_back(record);
        }
    }
    for (const auto &[eventId, count] : countBy(accepted, "/$tl_metadata/$tl_event_id")) {
        EXPECT_EQ(count, 1) << eventId;
    }
    EXPECT_EQ(countBy(accepted, "/properties/query"),
        (std::map<std::string, int> { { "null", 5 }, { "calc", 1 }, { "mail", 1 }, { "maps", 1 } }));
    EXPECT_EQ(accepted.size(), 8u);
    EXPECT_TRUE(storedRecords(*Tally::mainInstance(), PersistenceType::Events).empty());
}

} // namespace
