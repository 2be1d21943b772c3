#include "HostileFiles.h"
#include "ScopedVariable.h"
#include "TestSupport.h"

#include "platform/core/RecentDocuments.h"

#include <QDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <optional>

using namespace brimlark;
using namespace brimlark::test;

namespace {
const QDateTime now = QDateTime(QDate(2024, 5, 10), QTime(12, 0, 0), Qt::UTC);

QString stamp(const QDateTime &t)
{
    return t.toUTC().toString(Qt::ISODateWithMs);
}

QByteArray bookmark(const QString &path, const QString &modified, const QString &appModified = {})
{
    QString text = QStringLiteral("<bookmark href=\"%1\" added=\"%2\" modified=\"%2\" visited=\"%2\">")
                       .arg(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded), modified);
    if (!appModified.isEmpty()) {
        text
            += QStringLiteral("<info><metadata owner=\"http://freedesktop.org\"><bookmark:applications>"
                              "<bookmark:application name=\"ed\" exec=\"ed %u\" modified=\"%1\" count=\"2\"/>"
                              "</bookmark:applications></metadata></info>")
                   .arg(appModified);
    }
    return (text + QStringLiteral("</bookmark>\n")).toUtf8();
}

QByteArray xbel(const QByteArray &bookmarks)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" "
                      "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
                      "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n")
        + bookmarks + QByteArray("</xbel>\n");
}

struct Fixture
{
    TemporaryRoots roots;
    QString file(const QString &name)
    {
        const QString path = roots.home() + QStringLiteral("/Documents/") + name;
        TemporaryRoots::writeFile(path, "x");
        return path;
    }
    QList<RecentDocuments::Document> fetch(const QByteArray &contents)
    {
        TemporaryRoots::writeFile(RecentDocuments::defaultPath(), contents);
        return RecentDocuments([] { return now; }, RecentDocuments::defaultPath()).fetch();
    }
};
} // namespace

// The data folder a session names was once passed over for the home's.
TEST(RecentDocuments, ReadsTheBookmarkFileInTheDataFolder)
{
    TemporaryRoots roots;
    const QString data = roots.home() + QStringLiteral("/elsewhere");
    struct Case
    {
        std::optional<QString> xdg;
        QString path;
    };
    const Case cases[] = {
        { std::nullopt, roots.home() + QStringLiteral("/.local/share/recently-used.xbel") },
        { data, data + QStringLiteral("/recently-used.xbel") },
        { QStringLiteral("relative/data"),
            roots.home() + QStringLiteral("/.local/share/recently-used.xbel") },
    };
    for (const Case &c : cases) {
        const test::ScopedVariable xdg("XDG_DATA_HOME", c.xdg ? c.xdg->toUtf8().constData() : nullptr);
        EXPECT_EQ(RecentDocuments::defaultPath(), c.path)
            << c.xdg.value_or(QStringLiteral("<unset>")).toStdString();
    }
}

TEST(RecentDocuments, ThreeDayWindowIncludesItsBoundary)
{
    Fixture f;
    const QString edge = f.file(QStringLiteral("edge.txt"));
    const QString older = f.file(QStringLiteral("older.txt"));
    const QString fresh = f.file(QStringLiteral("fresh.txt"));
    const auto docs = f.fetch(xbel(bookmark(edge, stamp(now.addSecs(-259200)))
        + bookmark(older, stamp(now.addSecs(-259201))) + bookmark(fresh, stamp(now.addSecs(-60)))));
    ASSERT_EQ(docs.size(), 2);
    EXPECT_EQ(docs[0].path, fresh);
    EXPECT_EQ(docs[1].path, edge);
    EXPECT_EQ(docs[1].displayName, QStringLiteral("edge.txt"));
    EXPECT_EQ(docs[1].lastUsed, now.addSecs(-259200));
}

TEST(RecentDocuments, KeepsTheThirtyNewestNewestFirst)
{
    Fixture f;
    QByteArray marks;
    // Written oldest-last in a shuffled order so the sort is what orders them.
    for (int i = 0; i < 40; ++i) {
        const int minutes = (i * 17) % 40;
        marks
            += bookmark(f.file(QStringLiteral("doc%1.txt").arg(minutes)), stamp(now.addSecs(-60 * minutes)));
    }
    const auto docs = f.fetch(xbel(marks));
    ASSERT_EQ(docs.size(), 30);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(docs[i].displayName, QStringLiteral("doc%1.txt").arg(i));
    }
}

TEST(RecentDocuments, AProgramsLaterUseCounts)
{
    Fixture f;
    const QString a = f.file(QStringLiteral("a.txt"));
    const QString b = f.file(QStringLiteral("b.txt"));
    // a's bookmark is old, but a program used it an hour ago.
    const auto docs = f.fetch(xbel(bookmark(a, stamp(now.addDays(-10)), stamp(now.addSecs(-3600)))
        + bookmark(b, stamp(now.addSecs(-7200)))));
    ASSERT_EQ(docs.size(), 2);
    EXPECT_EQ(docs[0].path, a);
    EXPECT_EQ(docs[0].lastUsed, now.addSecs(-3600));
}

TEST(RecentDocuments, SkipsWhatIsNotAnExistingLocalFile)
{
    Fixture f;
    const QString spaced = f.file(QStringLiteral("Résumé final.pdf"));
    const QString recent = stamp(now.addSecs(-10));
    QByteArray marks = bookmark(spaced, QStringLiteral("2024-05-10T11:59:00.123456Z"));
    marks += bookmark(f.roots.home() + QStringLiteral("/Documents/gone.txt"), recent);
    marks += QStringLiteral("<bookmark href=\"https://example.invalid/x\" modified=\"%1\"/>\n")
                 .arg(recent)
                 .toUtf8();
    marks += QStringLiteral("<bookmark href=\"not a url\" modified=\"%1\"/>\n").arg(recent).toUtf8();
    marks += bookmark(f.roots.home() + QStringLiteral("/Documents"), recent); // a folder
    QByteArray noDate = bookmark(f.file(QStringLiteral("nodate.txt")), QStringLiteral("yesterday"));
    marks += noDate;
    const auto docs = f.fetch(xbel(marks));
    ASSERT_EQ(docs.size(), 1);
    EXPECT_EQ(docs[0].path, spaced);
    EXPECT_EQ(docs[0].displayName, QStringLiteral("Résumé final.pdf"));
    EXPECT_EQ(docs[0].lastUsed, QDateTime(QDate(2024, 5, 10), QTime(11, 59, 0, 123), Qt::UTC));
}

TEST(RecentDocuments, BrokenOrMissingFileGivesNothing)
{
    Fixture f;
    const QByteArray good = bookmark(f.file(QStringLiteral("a.txt")), stamp(now.addSecs(-10)));
    for (const QByteArray &contents : { xbel(good).left(xbel(good).size() - 4), QByteArray("<html>") + good,
             QByteArray(), QByteArray("garbage") }) {
        EXPECT_TRUE(f.fetch(contents).isEmpty()) << contents.constData();
    }
    EXPECT_EQ(f.fetch(xbel(good)).size(), 1);
    QFile::remove(RecentDocuments::defaultPath());
    EXPECT_TRUE(RecentDocuments([] { return now; }, RecentDocuments::defaultPath()).fetch().isEmpty());
}

TEST(RecentDocuments, HostileFilesNeitherBlockNorAreWalked)
{
    Fixture f;
    const QByteArray good = bookmark(f.file(QStringLiteral("a.txt")), stamp(now.addSecs(-10)));
    const QByteArray deep = QByteArray("<info>").repeated(RecentDocuments::MaxNesting)
        + QByteArray("</info>").repeated(RecentDocuments::MaxNesting);
    EXPECT_TRUE(f.fetch(xbel(good + deep)).isEmpty());

    const QString path = RecentDocuments::defaultPath();
    QFile::remove(path);
    ASSERT_TRUE(makeFifo(path));
    QList<RecentDocuments::Document> docs { RecentDocuments::Document {} };
    EXPECT_TRUE(
        returnsWithoutBlocking([&] { docs = RecentDocuments([] { return now; }, path).fetch(); }, path));
    EXPECT_TRUE(docs.isEmpty());
}
