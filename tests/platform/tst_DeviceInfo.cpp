#include "platform/base/DeviceInfo.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/utsname.h>

#include <filesystem>
#include <fstream>

using namespace brimlark;

namespace {

void writeFile(const std::filesystem::path &path, const std::string &contents)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

utsname systemNames()
{
    utsname names {};
    uname(&names);
    return names;
}

} // namespace

TEST(DeviceInfo, OsReleaseValuesAreUnquotedLikeTheShellReadsThem)
{
    struct Case
    {
        std::string contents;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases {
        { "NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
            "Debian GNU/Linux 12 (bookworm)" },
        { "PRETTY_NAME='Single Quoted'\n", "Single Quoted" },
        { "PRETTY_NAME=Bare\n", "Bare" },
        { "PRETTY_NAME=\"Escaped \\\"quote\\\" and \\\\ slash\"\n", "Escaped \"quote\" and \\ slash" },
        { "# PRETTY_NAME=\"commented\"\n  PRETTY_NAME=\"Indented\"  \r\n", "Indented" },
        { "PRETTY_NAME=\"first\"\nPRETTY_NAME=\"second\"\n", "second" },
        { "PRETTY_NAME_EXTRA=\"no\"\nNAME=\"x\"\n", std::nullopt },
        { "PRETTY_NAME=\"unterminated\n", std::nullopt },
        { "PRETTY_NAME=\"trailing\" junk\n", std::nullopt },
        { "PRETTY_NAME=\n", std::string() },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(DeviceInfo::osReleaseValue(c.contents, "PRETTY_NAME"), c.expected) << c.contents;
    }
}

TEST(DeviceInfo, ReadsReleaseAndVendorBelowItsRootWithFallbacks)
{
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    const utsname names = systemNames();

    DeviceInfo bare(root);
    // Nothing below the root: the kernel release and "Unknown" vendor.
    EXPECT_EQ(bare.operatingSystemVersion(), names.release);
    EXPECT_EQ(bare.manufacturer(), "Unknown");
    EXPECT_EQ(bare.machine(), names.machine);
    EXPECT_EQ(bare.operatingSystemName(), names.sysname);
    EXPECT_NE(bare.operatingSystemName(), "macOS");

    writeFile(root / "usr/lib/os-release", "PRETTY_NAME=\"From usr lib\"\n");
    EXPECT_EQ(bare.operatingSystemVersion(), "From usr lib");
    writeFile(root / "etc/os-release", "PRETTY_NAME=\"From etc\"\n");
    EXPECT_EQ(bare.operatingSystemVersion(), "From etc");
    // The file that exists decides; one without a name falls back to the kernel release.
    writeFile(root / "etc/os-release", "NAME=\"only a name\"\n");
    EXPECT_EQ(bare.operatingSystemVersion(), names.release);

    writeFile(root / "sys/class/dmi/id/sys_vendor", "  LENOVO \n");
    EXPECT_EQ(bare.manufacturer(), "LENOVO");
    writeFile(root / "sys/class/dmi/id/sys_vendor", "\n");
    EXPECT_EQ(bare.manufacturer(), "Unknown");
}

TEST(DeviceInfo, MainScreenSizeIsWhatTheHostReported)
{
    DeviceInfo info("/nonexistent-root");
    EXPECT_FALSE(info.mainScreenSize());
    info.setMainScreenSize(DeviceInfo::ScreenSize { 1920.5, 1080 });
    EXPECT_EQ(info.mainScreenSize(), (DeviceInfo::ScreenSize { 1920.5, 1080 }));
    info.setMainScreenSize(std::nullopt);
    EXPECT_FALSE(info.mainScreenSize());
}
