#include "analytics/TallyLogger.h"

#include "TallyLogCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <QTemporaryDir>

using namespace brimlark;
using brimlark::test::TallyLogCapture;
using ::testing::ElementsAre;

namespace {

// Counts how often its message was rendered, to prove disabled levels never build the text.
struct CountingMessage
{
    int *evaluations;
    std::string operator()() const
    {
        ++*evaluations;
        return "expensive";
    }
};

constexpr TallyLogLevel allLevels[]
    = { TallyLogLevel::Debug, TallyLogLevel::Info, TallyLogLevel::Warning, TallyLogLevel::Error };

void enableOnly(std::initializer_list<TallyLogLevel> levels)
{
    for (TallyLogLevel level : allLevels) {
        TallyLogger::disableLevel(level);
    }
    for (TallyLogLevel level : levels) {
        TallyLogger::enableLevel(level);
    }
}

std::vector<std::string> texts(const TallyLogCapture &capture)
{
    std::vector<std::string> result;
    for (const auto &message : capture.messages()) {
        result.push_back(message.text);
    }
    return result;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

} // namespace

TEST(TallyLogLevelTest, RawValuesRoundTripAndNothingElseParses)
{
    for (TallyLogLevel level :
        { TallyLogLevel::Debug, TallyLogLevel::Info, TallyLogLevel::Warning, TallyLogLevel::Error }) {
        EXPECT_EQ(tallyLogLevelFromRawValue(rawValue(level)), level);
    }
    EXPECT_EQ(rawValue(TallyLogLevel::Warning), "warning");
    for (const char *raw : { "Debug", "INFO", "warn", "", "error ", "fatal" }) {
        EXPECT_FALSE(tallyLogLevelFromRawValue(raw).has_value()) << raw;
    }
}

TEST(TallyLoggerTest, NothingIsDeliveredOrEvaluatedWhileNoLevelIsEnabled)
{
    TallyLogCapture capture;
    enableOnly({});
    int evaluations = 0;
    TallyLogger::debug(CountingMessage { &evaluations }, "open()");
    TallyLogger::info(CountingMessage { &evaluations }, "open()");
    TallyLogger::warn(CountingMessage { &evaluations }, "open()");
    TallyLogger::error(CountingMessage { &evaluations }, "open()");
    EXPECT_EQ(evaluations, 0);
    EXPECT_TRUE(capture.messages().empty());
}

TEST(TallyLoggerTest, OnlyEnabledLevelsAreDelivered)
{
    TallyLogCapture capture;
    enableOnly({ TallyLogLevel::Warning });
    int evaluations = 0;
    TallyLogger::debug(CountingMessage { &evaluations }, "f()");
    TallyLogger::info("info line", "f()");
    TallyLogger::warn("warning line", "f()");
    TallyLogger::error("error line", "f()");
    EXPECT_EQ(evaluations, 0);
    EXPECT_THAT(texts(capture), ElementsAre("warning line"));

    // Disabling a level that is not enabled changes nothing.
    TallyLogger::disableLevel(TallyLogLevel::Debug);
    TallyLogger::warn("still on", "f()");
    TallyLogger::disableLevel(TallyLogLevel::Warning);
    TallyLogger::warn("now off", "f()");
    EXPECT_THAT(texts(capture), ElementsAre("warning line", "still on"));
}

TEST(TallyLoggerTest, MessageCarriesFileFunctionLevelAndRenderedText)
{
    TallyLogCapture capture;
    TallyLogger::error("disk full", "insertRow(_:data:flag:)");
    TallyLogger::info(42, "count()");
    TallyLogger::debug([] { return std::string("built ") + "late"; }, "lazy()");
    TallyLogger::warn(1.5, "ratio()");

    const auto messages = capture.messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].file, "tst_TallyLogger.cpp");
    EXPECT_EQ(messages[0].function, "insertRow(_:data:flag:)");
    EXPECT_EQ(messages[0].level, TallyLogLevel::Error);
    EXPECT_EQ(messages[0].text, "disk full");
    EXPECT_EQ(messages[1].text, "42");
    EXPECT_EQ(messages[1].level, TallyLogLevel::Info);
    EXPECT_EQ(messages[2].text, "built late");
    EXPECT_EQ(messages[3].text, "1.5");
    EXPECT_EQ(messages[3].level, TallyLogLevel::Warning);
}

TEST(TallyLoggerTest, FileNameIsTheLastPieceOfTheSourcePath)
{
    struct Case
    {
        const char *path;
        const char *file;
    };
    const Case cases[] = {
        { "/work/src/analytics/TLDB.cpp", "TLDB.cpp" },
        { "TLDB.cpp", "TLDB.cpp" }, // no "/": used whole
        { "src/Flush.cpp/", "Flush.cpp" }, // empty pieces do not count
        { "/", "/" }, // splitting yields nothing: used whole
        { "", "" },
    };
    TallyLogCapture capture;
    for (const Case &c : cases) {
        capture.clear();
        TallyLogger::log(TallyLogLevel::Info, "x", "f()", c.path);
        const auto messages = capture.messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].file, c.file) << c.path;
    }
}

TEST(TallyLoggerTest, ConsoleAndFileLinesHaveTheirFixedShapes)
{
    const TallyLogMessage message { "Network.cpp", "sendHttpRequest(_:)", "status 503",
        TallyLogLevel::Warning };
    EXPECT_EQ(
        consoleLine(message), "[Tally - Network.cpp - func sendHttpRequest(_:)] (warning) - status 503");
    EXPECT_EQ(fileLine(message),
        "File: Network.cpp - Func: sendHttpRequest(_:) - Level: warning - Message: status 503");
}

TEST(TallyLoggerTest, PrintSinksWriteOneLinePerMessage)
{
    std::ostringstream plain;
    std::ostringstream quoted;
    PrintLogging print(plain);
    PrintDebugLogging printDebug(quoted);
    const TallyLogMessage message { "a.cpp", "f()", "say \"hi\"\\\n\x01", TallyLogLevel::Info };
    print.addMessage(message);
    printDebug.addMessage(message);
    EXPECT_EQ(plain.str(), "[Tally - a.cpp - func f()] (info) - say \"hi\"\\\n\x01\n");
    EXPECT_EQ(quoted.str(), "\"[Tally - a.cpp - func f()] (info) - say \\\"hi\\\"\\\\\\n\\u{1}\"\n");
}

TEST(TallyLoggerTest, SinkRegisteredTwiceReceivesEveryMessageTwice)
{
    TallyLogCapture capture;
    // Sinks cannot be removed, so this one and its stream live for the rest of the process.
    static std::ostringstream out;
    static const auto sink = std::make_shared<PrintLogging>(out);
    TallyLogger::addLogging(sink);
    TallyLogger::addLogging(sink);
    TallyLogger::info("twice", "f()");
    EXPECT_EQ(out.str(),
        "[Tally - tst_TallyLogger.cpp - func f()] (info) - twice\n"
        "[Tally - tst_TallyLogger.cpp - func f()] (info) - twice\n");
}

TEST(TallyLoggerTest, FileSinkWritesLinesBackToBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("tally.log")).toStdString();
    {
        FileLogging file(path);
        ASSERT_TRUE(file.isOpen());
        file.addMessage({ "a.cpp", "f()", "one", TallyLogLevel::Debug });
        file.addMessage({ "b.cpp", "g(_:)", "two", TallyLogLevel::Error });
    }
    EXPECT_EQ(readFile(path),
        "File: a.cpp - Func: f() - Level: debug - Message: one"
        "File: b.cpp - Func: g(_:) - Level: error - Message: two");

    FileLogging unopenable(dir.filePath(QStringLiteral("missing/folder/x.log")).toStdString());
    EXPECT_FALSE(unopenable.isOpen());
    unopenable.addMessage({ "a.cpp", "f()", "dropped", TallyLogLevel::Debug }); // must not crash
}

// Sinks are called one message at a time, whatever thread logs.
TEST(TallyLoggerTest, DeliveryIsSerialisedAcrossThreads)
{
    struct OverlapDetector : TallyLogging
    {
        std::atomic<int> inside { 0 };
        std::atomic<bool> overlapped { false };
        std::atomic<int> count { 0 };
        void addMessage(const TallyLogMessage &) override
        {
            if (inside.fetch_add(1) != 0) {
                overlapped = true;
            }
            std::this_thread::yield();
            ++count;
            inside.fetch_sub(1);
        }
    };
    TallyLogCapture capture;
    enableOnly({ TallyLogLevel::Debug });
    auto detector = std::make_shared<OverlapDetector>();
    TallyLogger::addLogging(detector);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i) {
                TallyLogger::debug("tick", "run()");
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(detector->count.load(), 800);
    EXPECT_FALSE(detector->overlapped.load());
    EXPECT_EQ(capture.messages().size(), 800u);
}
