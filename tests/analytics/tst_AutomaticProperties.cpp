#include "analytics/AutomaticProperties.h"

#include "platform/base/DeviceInfo.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/utsname.h>

#include <filesystem>
#include <fstream>

using namespace brimlark;

namespace {

utsname systemNames()
{
    utsname names {};
    uname(&names);
    return names;
}

class FakeMachine
{
public:
    FakeMachine()
    {
        const std::filesystem::path root = m_dir.path().toStdString();
        std::filesystem::create_directories(root / "etc");
        std::filesystem::create_directories(root / "sys/class/dmi/id");
        std::ofstream(root / "etc/os-release") << "NAME=\"Test\"\nPRETTY_NAME=\"Test OS 7 (tern)\"\n";
        std::ofstream(root / "sys/class/dmi/id/sys_vendor") << "Framework\n";
        m_device = std::make_unique<DeviceInfo>(root);
    }
    DeviceInfo &device() { return *m_device; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<DeviceInfo> m_device;
};

std::vector<std::string> keysOf(const TallyDictionary &dictionary)
{
    return dictionary.keys();
}

} // namespace

TEST(AutomaticProperties, EventPropertiesInOrderWithThisPlatformsFacts)
{
    FakeMachine machine;
    machine.device().setMainScreenSize(DeviceInfo::ScreenSize { 1440.7, 900.9 });
    const TallyDictionary bundle { { "CFBundleVersion", "317" }, { "CFBundleShortVersionString", "2.4.1" } };
    const TallyDictionary properties = AutomaticProperties::makeProperties(machine.device(), bundle);
    const utsname names = systemNames();
    const TallyDictionary expected { { "$screen_height", std::int64_t(900) },
        { "$screen_width", std::int64_t(1440) }, { "$os", "macOS" }, { "$os_version", "Test OS 7 (tern)" },
        { "$app_build_number", "317" }, { "$app_version_string", "2.4.1" }, { "tl_lib", "cpp" },
        { "$lib_version", "1.0.0" }, { "$manufacturer", "Apple" }, { "$model", std::string(names.machine) } };
    EXPECT_TRUE(TallyType(properties).sameAs(TallyType(expected))) << TallyType(properties).description();
}

TEST(AutomaticProperties, PeoplePropertiesKeepBundleEntriesAsTheyAre)
{
    FakeMachine machine;
    const TallyDictionary bundle { { "CFBundleVersion", 317 }, { "CFBundleShortVersionString", "2.4.1" } };
    const TallyDictionary people = AutomaticProperties::makePeopleProperties(machine.device(), bundle);
    const TallyDictionary expected { { "$ios_app_version", 317 }, { "$ios_app_release", "2.4.1" },
        { "$ios_device_model", std::string(systemNames().machine) }, { "$ios_version", "Test OS 7 (tern)" },
        { "$ios_lib_version", "1.0.0" }, { "$cpp_lib_version", "1.0.0" } };
    EXPECT_TRUE(TallyType(people).sameAs(TallyType(expected))) << TallyType(people).description();
    // The event side turns a bundle entry that is not text into "Unknown".
    const TallyDictionary events = AutomaticProperties::makeProperties(machine.device(), bundle);
    EXPECT_EQ(*events.find("$app_build_number")->get<std::string>(), "Unknown");
}

TEST(AutomaticProperties, MissingBundleAndScreenLeaveOutOrMarkUnknown)
{
    FakeMachine machine;
    struct Case
    {
        const char *label;
        std::optional<TallyDictionary> bundle;
    };
    for (const Case &c : { Case { "no information dictionary", std::nullopt },
             Case { "no version entries", TallyDictionary { { "CFBundleName", "Brimlark" } } } }) {
        SCOPED_TRACE(c.label);
        const TallyDictionary events = AutomaticProperties::makeProperties(machine.device(), c.bundle);
        EXPECT_EQ(keysOf(events),
            (std::vector<std::string> { "$os", "$os_version", "$app_build_number", "$app_version_string",
                "tl_lib", "$lib_version", "$manufacturer", "$model" }));
        EXPECT_EQ(*events.find("$app_build_number")->get<std::string>(), "Unknown");
        EXPECT_EQ(*events.find("$app_version_string")->get<std::string>(), "Unknown");
        const TallyDictionary people = AutomaticProperties::makePeopleProperties(machine.device(), c.bundle);
        EXPECT_EQ(keysOf(people),
            (std::vector<std::string> {
                "$ios_device_model", "$ios_version", "$ios_lib_version", "$cpp_lib_version" }));
    }
    DeviceInfo bare("/nonexistent-root");
    EXPECT_EQ(
        *AutomaticProperties::makeProperties(bare, std::nullopt).find("$manufacturer")->get<std::string>(),
        "Apple");
}

TEST(AutomaticProperties, SharedDictionariesAreMadeOnceFromTheSharedSources)
{
    const TallyDictionary bundle { { "CFBundleVersion", "9" }, { "CFBundleShortVersionString", "1.2" } };
    DeviceInfo::shared().setMainScreenSize(DeviceInfo::ScreenSize { 800, 600 });
    AutomaticProperties::setMainBundleInfo(bundle);
    const TallyDictionary first = AutomaticProperties::properties();
    EXPECT_TRUE(TallyType(first).sameAs(
        TallyType(AutomaticProperties::makeProperties(DeviceInfo::shared(), bundle))));
    EXPECT_TRUE(
        TallyType(AutomaticProperties::peopleProperties())
            .sameAs(TallyType(AutomaticProperties::makePeopleProperties(DeviceInfo::shared(), bundle))));
    EXPECT_EQ(AutomaticProperties::deviceModel(), std::string(systemNames().machine));

    // A screen change or a new bundle while the process runs is not reflected.
    DeviceInfo::shared().setMainScreenSize(DeviceInfo::ScreenSize { 1024, 768 });
    AutomaticProperties::setMainBundleInfo(std::nullopt);
    EXPECT_TRUE(TallyType(AutomaticProperties::properties()).sameAs(TallyType(first)));
}
