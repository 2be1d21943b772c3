#include "analytics/AutomaticProperties.h"

#include "platform/base/DeviceInfo.h"

#include <mutex>

namespace brimlark {

namespace {

std::mutex s_bundleMutex;
std::optional<TallyDictionary> s_bundleInfo;

struct Computed
{
    TallyDictionary properties;
    TallyDictionary peopleProperties;
};

const Computed &computed()
{
    static const Computed s_computed = [] {
        std::optional<TallyDictionary> bundle;
        {
            std::lock_guard lock(s_bundleMutex);
            bundle = s_bundleInfo;
        }
        const DeviceInfo &device = DeviceInfo::shared();
        return Computed { AutomaticProperties::makeProperties(device, bundle),
            AutomaticProperties::makePeopleProperties(device, bundle) };
    }();
    return s_computed;
}

const TallyType *bundleEntry(const std::optional<TallyDictionary> &bundleInfo, std::string_view key)
{
    return bundleInfo ? bundleInfo->find(key) : nullptr;
}

std::string bundleText(const std::optional<TallyDictionary> &bundleInfo, std::string_view key)
{
    const TallyType *entry = bundleEntry(bundleInfo, key);
    const std::string *text = entry ? entry->get<std::string>() : nullptr;
    return text ? *text : std::string("Unknown");
}

} // namespace

void AutomaticProperties::setMainBundleInfo(std::optional<TallyDictionary> info)
{
    std::lock_guard lock(s_bundleMutex);
    s_bundleInfo = std::move(info);
}

ReadWriteLock &AutomaticProperties::automaticPropertiesLock()
{
    static ReadWriteLock s_lock("automaticPropertiesLock");
    return s_lock;
}

TallyDictionary AutomaticProperties::properties()
{
    return automaticPropertiesLock().read([] { return computed().properties; });
}

TallyDictionary AutomaticProperties::peopleProperties()
{
    return automaticPropertiesLock().read([] { return computed().peopleProperties; });
}

std::string AutomaticProperties::deviceModel()
{
    return DeviceInfo::shared().machine();
}

TallyDictionary AutomaticProperties::makeProperties(
    const DeviceInfo &device, const std::optional<TallyDictionary> &bundleInfo)
{
    TallyDictionary properties;
    if (const auto screen = device.mainScreenSize()) {
        properties.set("$screen_height", static_cast<std::int64_t>(screen->height));
        properties.set("$screen_width", static_cast<std::int64_t>(screen->width));
    }
    // The product's events all say "platform": "mac" (the facade), and the
    // project's reports group them by these two as well: they name the
    // product's platform, while the system it runs on shows in the version
    // and model below.
    properties.set("$os", "macOS");
    properties.set("$os_version", device.operatingSystemVersion());
    properties.set("$app_build_number", bundleText(bundleInfo, "CFBundleVersion"));
    properties.set("$app_version_string", bundleText(bundleInfo, "CFBundleShortVersionString"));
    properties.set("tl_lib", "cpp");
    properties.set("$lib_version", std::string(libraryVersion));
    properties.set("$manufacturer", "Apple");
    properties.set("$model", device.machine());
    return properties;
}

TallyDictionary AutomaticProperties::makePeopleProperties(
    const DeviceInfo &device, const std::optional<TallyDictionary> &bundleInfo)
{
    TallyDictionary properties;
    // The bundle's entries go in as they are, not turned into text.
    if (const TallyType *version = bundleEntry(bundleInfo, "CFBundleVersion")) {
        properties.set("$ios_app_version", *version);
    }
    if (const TallyType *release = bundleEntry(bundleInfo, "CFBundleShortVersionString")) {
        properties.set("$ios_app_release", *release);
    }
    properties.set("$ios_device_model", device.machine());
    properties.set("$ios_version", device.operatingSystemVersion());
    properties.set("$ios_lib_version", std::string(libraryVersion));
    properties.set("$cpp_lib_version", std::string(libraryVersion));
    return properties;
}

} // namespace brimlark
