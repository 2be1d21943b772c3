#include "ScopedVariable.h"

#include "platform/base/Trash.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <unistd.h>

using namespace brimlark;

namespace {

// Through the bytes of the name: some are not UTF-8.
QByteArray read(const std::string &path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return "(missing)";
    }
    QByteArray out;
    char buffer[256];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        out.append(buffer, n);
    }
    close(fd);
    return out;
}

class TrashInfo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The deletion date is local time; pin the zone for the exact text.
        m_zone.emplace("TZ", "UTC");
        tzset();
    }
    void TearDown() override
    {
        m_zone.reset();
        tzset();
    }

    QTemporaryDir m_dir;
    // 2024-03-05 07:08:09 UTC
    Trash m_trash { m_dir.path().toStdString(), [] { return std::time_t(1709622489); } };
    std::optional<test::ScopedVariable> m_zone;
};

} // namespace

TEST_F(TrashInfo, WritesTheExactInfoTextWithEveryUnsafeByteEscaped)
{
    const struct
    {
        std::string original;
        std::string name;
        const char *path;
    } rows[] = {
        { "/h/Library/Logs/a b%c\nd", "a b%c\nd", "/h/Library/Logs/a%20b%25c%0Ad" },
        { "/h/Library/Preferences/Foo\xff.plist", "Foo\xff.plist", "/h/Library/Preferences/Foo%FF.plist" },
        { "/h/Library/Caches/Ünï-cödé_1.0~x", "Ünï-cödé_1.0~x",
            "/h/Library/Caches/%C3%9Cn%C3%AF-c%C3%B6d%C3%A9_1.0~x" },
    };
    for (const auto &row : rows) {
        std::string error;
        const std::optional<Trash::Reservation> r = m_trash.reserve(row.original, false, error);
        ASSERT_TRUE(r) << error;
        EXPECT_EQ(r->name, row.name);
        EXPECT_EQ(r->infoPath, m_trash.infoDirectory() + "/" + row.name + ".trashinfo");
        EXPECT_EQ(read(r->infoPath),
            QByteArray("[Trash Info]\nPath=") + row.path + "\nDeletionDate=2024-03-05T07:08:09\n");
    }
}

TEST_F(TrashInfo, AnExistingInfoFileIsNeverOverwritten)
{
    std::string error;
    ASSERT_TRUE(m_trash.reserve("/h/x", false, error)); // makes the folders
    QFile::remove(QString::fromStdString(m_trash.infoDirectory() + "/report.log.trashinfo"));
    QFile theirs(QString::fromStdString(m_trash.infoDirectory() + "/report.log.trashinfo"));
    ASSERT_TRUE(theirs.open(QIODevice::WriteOnly));
    theirs.write("someone else's");
    theirs.close();

    const std::optional<Trash::Reservation> r = m_trash.reserve("/h/Library/Logs/report.log", false, error);
    ASSERT_TRUE(r) << error;
    EXPECT_NE(r->name, "report.log");
    EXPECT_EQ(r->name.rfind("report_", 0), 0u) << r->name;
    EXPECT_EQ(read(m_trash.infoDirectory() + "/report.log.trashinfo"), QByteArray("someone else's"));
    // Released, only the claim goes.
    m_trash.release(*r);
    EXPECT_EQ(read(r->infoPath), QByteArray("(missing)"));
    EXPECT_EQ(read(m_trash.infoDirectory() + "/report.log.trashinfo"), QByteArray("someone else's"));
}
