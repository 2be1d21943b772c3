#include "HostileFiles.h"
#include "JournalFrames.h"
#include "TestChildProcess.h"

#include "platform/base/Defaults.h"
#include "platform/base/JournalRecord.h"
#include "platform/base/SettingsFolderLock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace brimlark;
using namespace brimlark::test;
namespace fs = std::filesystem;

namespace {

class DefaultsTest : public ::testing::Test
{
protected:
    fs::path file() const { return fs::path(m_dir.path().toStdString()) / "standard.plist"; }
    // A file beside the domain's: its name with the suffix.
    fs::path beside(const std::string &suffix) const { return fs::path(file()) += suffix; }
    // The domain's files whose names hold the marker, in name order.
    std::vector<fs::path> filesMarked(const std::string &marker) const
    {
        std::vector<fs::path> out;
        for (const auto &e : fs::directory_iterator(m_dir.path().toStdString())) {
            if (e.path().filename().string().find(marker) != std::string::npos) {
                out.push_back(e.path());
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<fs::path> asideFiles() const { return filesMarked(".unreadable-"); }
    std::vector<fs::path> journalFiles() const { return filesMarked(".journal-"); }
    static std::string bytesOf(const fs::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    QTemporaryDir m_dir;
};

TEST_F(DefaultsTest, EveryTypeSurvivesARestartWithItsType)
{
    DefaultsValue::Dictionary nested { { "inner", DefaultsValue(std::int64_t(-42)) },
        { "list", DefaultsValue(DefaultsValue::Array { DefaultsValue(true) }) } };
    // Large ones too, which the domain holds encoded; it holds a list the
    // format would not keep as it is (text that is not UTF-8) as set.
    DefaultsValue::Dictionary stamps;
    DefaultsValue::Array urls;
    DefaultsValue::Array odd;
    for (int i = 0; i < 2000; ++i) {
        const std::string url = "file:///Applications/App%20" + std::to_string(i) + ".app/";
        stamps.emplace(url, DefaultsValue(i + 0.5));
        urls.emplace_back(url);
        odd.emplace_back(url + "\xff");
    }
    {
        Defaults d(file());
        d.set("stamps", stamps);
        d.set("urls", urls);
        d.set("odd", odd);
        EXPECT_EQ(d.dictionary("stamps"), stamps);
        EXPECT_EQ(d.array("odd"), odd);
        // Overwritten with another type, and set then removed.
        d.set("int", "1");
        d.set("gone", "2");
        d.remove("gone");
        d.set("string", "héllo");
        d.set("data", DefaultsValue::fromBytes(std::string("\0\x01\xff", 3)));
        d.set("int", std::int64_t(-9000000000LL));
        d.set("real", 2.5);
        d.set("bool", false);
        d.set("date", DefaultsValue::Date { 123456.25 });
        d.setStrings("one", { "only" });
        d.setStrings("empty", {});
        d.set("dict", nested);
    }
    Defaults d(file());
    EXPECT_EQ(d.string("string"), "héllo");
    EXPECT_EQ(d.data("data"), (DefaultsValue::Data { 0, 1, 0xff }));
    EXPECT_EQ(d.integer("int"), -9000000000LL);
    EXPECT_FALSE(d.contains("gone"));
    EXPECT_EQ(d.real("real"), 2.5);
    EXPECT_EQ(d.boolean("bool"), false);
    ASSERT_TRUE(d.date("date"));
    EXPECT_NEAR(d.date("date")->secondsSinceReferenceDate, 123456.25, 1e-6);
    // A one-element list stays a list, and an empty list stays an empty list.
    EXPECT_EQ(d.stringArray("one"), (std::vector<std::string> { "only" }));
    EXPECT_EQ(d.stringArray("empty"), std::vector<std::string> {});
    ASSERT_TRUE(d.dictionary("dict"));
    EXPECT_EQ(*d.dictionary("dict"), nested);
    EXPECT_EQ(d.dictionary("stamps"), stamps);
    EXPECT_EQ(d.array("urls"), urls);
}

TEST_F(DefaultsTest, TypedReadsOfAnotherTypeAreAbsent)
{
    Defaults d;
    d.set("text", "1");
    d.set("number", 1);
    d.set("mixed", DefaultsValue::Array { DefaultsValue("a"), DefaultsValue(1) });
    EXPECT_FALSE(d.integer("text"));
    EXPECT_FALSE(d.string("number"));
    EXPECT_FALSE(d.boolean("number"));
    EXPECT_FALSE(d.real("number"));
    EXPECT_FALSE(d.stringArray("text"));
    EXPECT_FALSE(d.stringArray("mixed"));
    EXPECT_TRUE(d.array("mixed"));
    EXPECT_FALSE(d.data("missing"));
    EXPECT_TRUE(d.contains("text"));
    d.remove("text");
    EXPECT_FALSE(d.contains("text"));
}

TEST_F(DefaultsTest, UnreadableFileIsKeptAsideAndDomainStartsEmpty)
{
    {
        std::ofstream out(file(), std::ios::binary);
        out << "this is not a property list";
    }
    Defaults d(file());
    EXPECT_TRUE(d.keys().empty());
    auto aside = asideFiles();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(bytesOf(aside.front()), "this is not a property list");
    // The domain works again afterwards.
    d.set("k", "v");
    Defaults again(file());
    EXPECT_EQ(again.string("k"), "v");
}

TEST_F(DefaultsTest, AWriterKilledMidWriteKeepsEveryValueItSet)
{
    {
        Defaults d(file());
        d.set("counter", 0);
    }
    for (int round = 0; round < 5; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Reports each counter once set() has returned it.
            ::close(pipeFds[0]);
            Defaults d(file());
            std::string big(200000, 'x');
            for (std::int64_t i = 1;; ++i) {
                d.set("payload", big);
                d.set("counter", i);
                if (::write(pipeFds[1], &i, sizeof i) != sizeof i) {
                    _exit(1);
                }
            }
        }
        ::close(pipeFds[1]);
        std::int64_t reported = 0;
        for (std::int64_t i = 0; ::read(pipeFds[0], &i, sizeof i) == sizeof i && i < 40 + round * 25;) {
            reported = i;
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        for (std::int64_t i = 0; ::read(pipeFds[0], &i, sizeof i) == sizeof i;) {
            reported = i;
        }
        ::close(pipeFds[0]);

        Defaults d(file());
        EXPECT_TRUE(asideFiles().empty()) << "round " << round;
        EXPECT_GE(d.integer("counter").value_or(-1), reported) << "round " << round;
        EXPECT_EQ(d.string("payload").value_or("").size(), 200000u) << "round " << round;
    }
}

// A write killed inside its record, and a crash after a compaction replaced
// the file but before it removed the journals it folded in.
TEST_F(DefaultsTest, JournalRecordsCutShortOrAlreadyFoldedInChangeNothing)
{
    std::string folded;
    std::string cut;
    std::string later;
    {
        Defaults d(file());
        d.set("a", 1);
        d.set("b", "two");
        d.remove("a");
        folded = bytesOf(journalFiles().at(0));
        d.set("c", 3);
        cut = bytesOf(journalFiles().at(0));
        cut.resize(folded.size() + (cut.size() - folded.size()) / 2);
        ASSERT_TRUE(d.flush());
        d.set("e", 5);
        later = bytesOf(journalFiles().at(0));
        ASSERT_TRUE(d.flush());
        EXPECT_TRUE(journalFiles().empty());
    }
    const std::string compacted = bytesOf(file());
    struct Case
    {
        const char *name;
        bool withFile;
        std::vector<std::string> journals;
        std::optional<std::int64_t> c;
    };
    const Case cases[] = {
        // The file took the journal in before the crash: replaying it again
        // changes nothing.
        { "folded", true, { folded }, 3 },
        // A record ends halfway: it alone is dropped, and the journal after
        // it still counts.
        { "cut", false, { cut, later }, std::nullopt },
    };
    for (const Case &c : cases) {
        fs::remove(file());
        if (c.withFile) {
            std::ofstream(file(), std::ios::binary) << compacted;
        }
        for (std::size_t i = 0; i < c.journals.size(); ++i) {
            std::ofstream(beside(".journal-" + std::to_string(i + 1)), std::ios::binary) << c.journals[i];
        }
        {
            Defaults d(file());
            EXPECT_FALSE(d.contains("a")) << c.name;
            EXPECT_EQ(d.string("b"), "two") << c.name;
            EXPECT_EQ(d.integer("c"), c.c) << c.name;
            EXPECT_EQ(d.integer("e"), 5) << c.name;
            d.set("d", 4);
        }
        // The next writer folded everything into the file.
        EXPECT_TRUE(journalFiles().empty()) << c.name;
        Defaults d(file());
        EXPECT_EQ(d.integer("c"), c.c) << c.name;
        EXPECT_EQ(d.integer("d"), 4) << c.name;
    }
}

// A record that checked but did not decode once ended the replay, and the
// start-up fold then removed the journal with every record after it.
TEST_F(DefaultsTest, ARecordThatDoesNotDecodeCostsOnlyItselfAndIsKeptAside)
{
    const std::string refused = framed(payload(1, "k", nulStringInfoList(true).toStdString()));
    const std::string journal = std::string(JournalRecord::Header)
        + *JournalRecord::set("a", DefaultsValue(1)) + refused + *JournalRecord::set("b", DefaultsValue(2));
    std::ofstream(beside(".journal-1"), std::ios::binary) << journal;
    std::vector<std::string> lines;
    {
        Defaults d(file(), [&lines](const std::string &line) { lines.push_back(line); });
        EXPECT_EQ(d.integer("a"), 1);
        EXPECT_EQ(d.integer("b"), 2);
        EXPECT_FALSE(d.contains("k"));
        // Nor can such a value or key be set: no reader could take it back.
        EXPECT_FALSE(d.set("k", std::string("a\0b", 3)));
        EXPECT_FALSE(d.set(std::string("k\0", 2), 1));
        EXPECT_EQ(Defaults(file(), [](const std::string &) {}).integer("b"), 2);
        ASSERT_TRUE(d.set("c", 3));
        ASSERT_TRUE(d.flush());
    }
    EXPECT_TRUE(journalFiles().size() == 1 && asideFiles().size() == 1) << "folded, kept aside once";
    EXPECT_EQ(Defaults(file()).integer("b"), 2);
    ASSERT_EQ(asideFiles().size(), 1u);
    EXPECT_EQ(bytesOf(asideFiles()[0]), journal);
    EXPECT_EQ(lines.size(), 1u);
}

// Only another copy holding the lock once counted as not holding it: a lock
// file that cannot be made (or a file system without locks) left a writer
// without the lock beside the one with it.
TEST_F(DefaultsTest, ACopyThatCannotTakeTheLockOnlyReadsAndSaysSoOnce)
{
    const fs::path folder = fs::path(m_dir.path().toStdString()) / "unlockable";
    fs::create_directories(folder / SettingsFolderLock::LockName);
    const fs::path path = folder / "standard.plist";
    // A long list too, which a copy that writes would repack in memory.
    std::ofstream(path, std::ios::binary) << *Defaults::encode({ { "kept", DefaultsValue(1) },
        { "long", DefaultsValue::fromStrings(std::vector<std::string>(1000, std::string(40, 'x'))) } });
    const std::string before = bytesOf(path);
    std::vector<std::string> lines;
    Defaults d(path, [&lines](const std::string &line) { lines.push_back(line); });
    Defaults suite(folder / "other.plist", [&lines](const std::string &line) { lines.push_back(line); });
    EXPECT_EQ(d.integer("kept"), 1);
    EXPECT_FALSE(d.set("a", 1));
    EXPECT_FALSE(suite.set("b", 2));
    EXPECT_EQ(d.integer("a"), 1);
    EXPECT_FALSE(d.flush());
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_FALSE(fs::exists(folder / "standard.plist.journal-1"));
}

TEST_F(DefaultsTest, ConcurrentWritersDoNotCorruptTheDomain)
{
    Defaults d(file());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&d, t] {
            for (int i = 0; i < 50; ++i) {
                d.set("t" + std::to_string(t), i);
            }
        });
    }
    for (auto &t : threads) {
        t.join();
    }
    Defaults again(file());
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(again.integer("t" + std::to_string(t)), 49);
    }
}

TEST_F(DefaultsTest, HostileFilesAreKeptAsideWithoutCrashOrHang)
{
    // Deep nesting once overflowed the parser's stack; a pipe blocked the start.
    // A quote once hid the nesting; shared references filled the memory.
    // A NUL in a tag or a string crashed the parser; a value wider than 64
    // bits was cut on the next fold.
    const QByteArray hostile[]
        = { deeplyNestedXml(400000), deeplyNestedBinary(500000), quoteHiddenNestingXml(200000),
              sharedReferenceBinary(24), nulTagNestingXml(200000), nulStringInfoList(false),
              nulStringInfoList(true), sharedLeavesBinary(60000, 64 * 1024), wideIntegerBinary() };
    for (const QByteArray &deep : hostile) {
        std::ofstream(file(), std::ios::binary).write(deep.constData(), deep.size());
        Defaults d(file(), [](const std::string &) {});
        EXPECT_TRUE(d.keys().empty());
        EXPECT_FALSE(fs::exists(file()));
    }
    ASSERT_TRUE(makeFifo(QString::fromStdString(file().string())));
    bool empty = false;
    EXPECT_TRUE(
        returnsWithoutBlocking([&] { empty = Defaults(file(), [](const std::string &) {}).keys().empty(); },
            QString::fromStdString(file().string())));
    EXPECT_TRUE(empty);
    EXPECT_EQ(asideFiles().size(), std::size(hostile) + 1);
}

TEST_F(DefaultsTest, AnUnwritableDomainSaysSoOnceKeepsItsValuesAndLeavesTheFileAlone)
{
    {
        Defaults d(file());
        ASSERT_TRUE(d.set("kept", "on disk"));
    }
    const std::string before = bytesOf(file());
    // The journal cannot be made (a folder stands in its place); a domain
    // whose folder is a file cannot be written at all.
    fs::create_directory(beside(".journal-1"));
    const fs::path blocked = fs::path(m_dir.path().toStdString()) / "plain-file" / "standard.plist";
    std::ofstream(blocked.parent_path()) << "x";
    for (const fs::path &path : { file(), blocked }) {
        std::vector<std::string> lines;
        Defaults d(path, [&lines](const std::string &line) { lines.push_back(line); });
        EXPECT_FALSE(d.set("a", 1));
        EXPECT_FALSE(d.set("b", 2));
        EXPECT_FALSE(d.remove("a"));
        EXPECT_EQ(d.integer("b"), 2);
        EXPECT_FALSE(d.flush());
        EXPECT_EQ(lines.size(), 1u) << path;
    }
    EXPECT_EQ(bytesOf(file()), before);
}

TEST_F(DefaultsTest, AValueIsInTheFileWhenSetReturnsAndOnTheDiskAfterFlush)
{
    Defaults d(file());
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(d.set("n", i));
        EXPECT_EQ(Defaults(file()).integer("n"), i);
    }
    EXPECT_TRUE(d.flush());
    EXPECT_TRUE(Defaults().flush());
}

} // namespace

// A write exchanges the new file for the old one and removes the old one
// only once the new one is on the disk. A crash before that (the new file
// empty after a power loss) starts from the version the write replaced.
TEST_F(DefaultsTest, AnEmptyFileAfterACrashComesBackFromTheVersionItReplaced)
{
    {
        Defaults d(file());
        ASSERT_TRUE(d.set("kept", 1));
        ASSERT_TRUE(d.set("kept", 2));
        ASSERT_TRUE(d.flush());
        EXPECT_TRUE(filesMarked(".tmp-").empty());
    }
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    fs::copy_file(file(), beside(".tmp-" + std::to_string(gone) + "-9"));
    std::ofstream(file(), std::ios::trunc).close();

    std::vector<std::string> lines;
    Defaults d(file(), [&lines](const std::string &line) { lines.push_back(line); });
    EXPECT_EQ(d.integer("kept"), 2);
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(Defaults(file()).integer("kept"), 2);
    EXPECT_TRUE(filesMarked(".tmp-").empty());
    EXPECT_EQ(asideFiles().size(), 1u);
}

namespace {

bool waitForFile(const fs::path &path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(path)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        // Another process's progress: there is no clock of ours to move.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void touch(const fs::path &path)
{
    std::ofstream(path) << "x";
}

} // namespace

// One copy of the program in a folder that another copy writes: started by
// TwoCopiesOverOneFolderLoseNothing only.
TEST(DefaultsChild, DISABLED_Run)
{
    const fs::path folder = environmentValue("BRIMLARK_DEFAULTS_CHILD_DIR");
    if (folder.empty()) {
        GTEST_SKIP();
    }
    const fs::path file = folder / "standard.plist";
    if (environmentValue("BRIMLARK_DEFAULTS_CHILD_MODE") == "first") {
        Defaults d(file);
        ASSERT_TRUE(d.set("first", 1));
        touch(folder / "first-ready");
        ASSERT_TRUE(waitForFile(folder / "second-done"));
        ASSERT_TRUE(d.set("later", 2));
        touch(folder / "first-done");
        std::this_thread::sleep_for(std::chrono::seconds(60)); // killed by the parent
        FAIL() << "not killed";
    }
    std::vector<std::string> lines;
    Defaults d(file, [&lines](const std::string &line) { lines.push_back(line); });
    const bool set = d.set("second", 1);
    const bool flushed = d.flush();
    std::ofstream(folder / "second-result")
        << set << flushed << lines.size() << d.integer("first").value_or(0);
}

TEST_F(DefaultsTest, TwoCopiesOverOneFolderLoseNothing)
{
    const fs::path folder = m_dir.path().toStdString();
    auto spawn = [&folder](const std::string &mode) {
        return spawnTestChild("DefaultsChild.DISABLED_Run",
            { "BRIMLARK_DEFAULTS_CHILD_DIR=" + folder.string(), "BRIMLARK_DEFAULTS_CHILD_MODE=" + mode },
            (folder / (mode + ".log")).string());
    };
    const pid_t first = spawn("first");
    ASSERT_GT(first, 0);
    ASSERT_TRUE(waitForFile(folder / "first-ready"));
    const pid_t second = spawn("second");
    ASSERT_GT(second, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(second, &status, 0), second);
    touch(folder / "second-done");
    const bool firstDone = waitForFile(folder / "first-done");
    ::kill(first, SIGKILL);
    ::waitpid(first, &status, 0);
    ASSERT_TRUE(firstDone);

    // The second copy read the settings, wrote nothing and said so once.
    std::ifstream result(folder / "second-result");
    std::string outcome;
    result >> outcome;
    EXPECT_EQ(outcome, "0011") << "set, flush, lines, the first copy's value";
    // Every change the first copy made is there after it was killed.
    Defaults d(file());
    EXPECT_EQ(d.integer("first"), 1);
    EXPECT_EQ(d.integer("later"), 2);
    EXPECT_FALSE(d.contains("second"));
}

namespace {

// A domain as another tool writes it: dates far from 2001, an unsigned
// 64-bit number, and a negative one with the same bits.
std::string foreignDomain(bool binary)
{
    if (!binary) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
               "<key>big</key><integer>18446744073709551615</integer>"
               "<key>old</key><date>1900-01-01T00:00:00Z</date>"
               "<key>far</key><date>2100-06-01T12:00:00Z</date>"
               "<key>negative</key><integer>-1</integer></dict></plist>\n";
    }
    auto dateObject = [](double seconds) {
        quint64 bits = 0;
        std::memcpy(&bits, &seconds, sizeof bits);
        return char(0x33) + bigEndian(bits, 8);
    };
    QByteArray dict(1, char(0xD4));
    for (quint64 ref = 1; ref <= 8; ++ref) {
        dict += bigEndian(ref, 4);
    }
    const QByteArray document = binaryList({ dict,
        QByteArray("\x53"
                   "big"),
        QByteArray("\x53"
                   "old"),
        QByteArray("\x53"
                   "far"),
        QByteArray("\x58"
                   "negative"),
        char(0x14) + bigEndian(0, 8) + bigEndian(~quint64(0), 8), dateObject(-3187296000.0),
        dateObject(3137227200.0), char(0x13) + bigEndian(~quint64(0), 8) });
    return document.toStdString();
}

} // namespace

// Such a domain loaded, but its journal was never folded while flush()
// reported success, and the unsigned number read back as -1.
TEST_F(DefaultsTest, ForeignValuesAreKeptAsReadAndFoldedBack)
{
    for (const bool binary : { false, true }) {
        std::ofstream(file(), std::ios::binary | std::ios::trunc) << foreignDomain(binary);
        {
            Defaults d(file());
            ASSERT_TRUE(d.set("mine", 1));
            EXPECT_TRUE(d.flush()) << binary;
            EXPECT_TRUE(journalFiles().empty()) << binary;
        }
        for (int load = 0; load < 2; ++load) {
            Defaults d(file());
            ASSERT_TRUE(d.date("old")) << binary;
            EXPECT_EQ(d.date("old")->secondsSinceReferenceDate, -3187296000.0) << binary;
            EXPECT_EQ(d.date("far")->secondsSinceReferenceDate, 3137227200.0) << binary;
            EXPECT_FALSE(d.integer("big")) << "no signed number holds it";
            ASSERT_TRUE(d.object("big"));
            ASSERT_TRUE(d.object("big")->asUnsigned());
            EXPECT_EQ(*d.object("big")->asUnsigned(), 18446744073709551615ull);
            EXPECT_EQ(d.integer("negative"), -1);
            EXPECT_EQ(d.integer("mine"), 1);
            // Written back by this program's own fold, it reads the same.
            ASSERT_TRUE(d.set("again", load));
            ASSERT_TRUE(d.flush());
        }
    }
}

TEST_F(DefaultsTest, AFoldThatFailsIsReported)
{
    Defaults d(file());
    ASSERT_TRUE(d.set("a", 1));
    // The fold's new file cannot be made: a folder stands at its name.
    const fs::path temporary = beside(".tmp-" + std::to_string(::getpid()) + "-1");
    fs::create_directory(temporary);
    EXPECT_FALSE(d.flush());
    EXPECT_FALSE(journalFiles().empty());
    fs::remove(temporary);
    EXPECT_TRUE(d.flush());
    EXPECT_TRUE(journalFiles().empty());
    EXPECT_EQ(Defaults(file()).integer("a"), 1);
}
