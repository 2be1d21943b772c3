#include "ScopedVariable.h"

#include "platform/base/RuntimeDirectory.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brimlark;

TEST(RuntimeDirectory, IsAFreshPrivateFolderOfOurOwn)
{
    QTemporaryDir root;
    const std::string base = root.path().toStdString();
    const std::string uidName = "brimlark-" + std::to_string(::getuid());
    const struct
    {
        bool runtimeSet;
        std::string expected;
    } rows[] = { { true, base + "/brimlark" }, { false, base + "/" + uidName } };
    for (const auto &row : rows) {
        const test::ScopedVariable runtime("XDG_RUNTIME_DIR", row.runtimeSet ? base.c_str() : nullptr);
        const test::ScopedVariable tmp("TMPDIR", base.c_str());
        const auto folder = privateRuntimeDirectory();
        ASSERT_TRUE(folder) << row.expected;
        EXPECT_EQ(folder->string(), row.expected);
        struct stat info
        {
        };
        ASSERT_EQ(::lstat(folder->c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        // A second call takes the folder it made.
        EXPECT_EQ(privateRuntimeDirectory(), folder);
    }
}

TEST(RuntimeDirectory, RefusesAFolderOthersCouldReachOrPlant)
{
    const struct
    {
        const char *what;
        std::function<void(const std::string &path)> prepare;
        bool needsRoot;
    } rows[] = {
        { "group and others may enter", [](const std::string &p) { ::mkdir(p.c_str(), 0755); }, false },
        { "others may write",
            [](const std::string &p) {
                ::mkdir(p.c_str(), 0703);
                ::chmod(p.c_str(), 0703);
            },
            false },
        { "a link to a private folder",
            [](const std::string &p) {
                ::mkdir((p + "-target").c_str(), 0700);
                ::symlink((p + "-target").c_str(), p.c_str());
            },
            false },
        { "a plain file", [](const std::string &p) { ::close(::creat(p.c_str(), 0600)); }, false },
        { "another user's folder",
            [](const std::string &p) {
                ::mkdir(p.c_str(), 0700);
                EXPECT_EQ(::chown(p.c_str(), 65534, 65534), 0);
            },
            true },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        if (row.needsRoot && ::getuid() != 0) {
            continue;
        }
        QTemporaryDir root;
        const std::string base = root.path().toStdString();
        const test::ScopedVariable runtime("XDG_RUNTIME_DIR", base.c_str());
        const test::ScopedVariable tmp("TMPDIR", nullptr);
        row.prepare(base + "/brimlark");
        std::string why;
        EXPECT_FALSE(privateRuntimeDirectory(&why));
        EXPECT_FALSE(why.empty());
    }
}
