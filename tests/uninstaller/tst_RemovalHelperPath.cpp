#include "uninstaller/RemovalHelperPath.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

using namespace brimlark;

// An installed program takes the helper the install put under libexec/ beside
// its bin/, and nothing when there is none there (a program in a build tree).
TEST(RemovalHelperPath, AnInstalledProgramFindsTheHelperInstalledBesideIt)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const std::filesystem::path root = prefix.path().toStdString();
    std::filesystem::create_directories(root / "bin");
    EXPECT_TRUE(installedHelperBeside(root / "bin").empty());

    const std::filesystem::path helper = root / "libexec/brimlark/brimlark-removal-helper";
    std::filesystem::create_directories(helper.parent_path());
    std::ofstream(helper) << "#!/bin/sh\n";
    EXPECT_EQ(installedHelperBeside(root / "bin"), helper);
    // A folder of that name is no helper.
    std::filesystem::remove(helper);
    std::filesystem::create_directory(helper);
    EXPECT_TRUE(installedHelperBeside(root / "bin").empty());
}
