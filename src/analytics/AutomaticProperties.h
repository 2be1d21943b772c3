#pragma once

#include "analytics/ReadWriteLock.h"
#include "analytics/TallyType.h"

#include <optional>
#include <string>
#include <string_view>

namespace brimlark {

class DeviceInfo;

// The device and application facts merged into every event and profile update. Both
// dictionaries are computed once, at the first record of the process, from DeviceInfo::shared()
// and the main bundle information the host handed in; later changes are not reflected.
class AutomaticProperties
{
public:
    AutomaticProperties() = delete;

    static constexpr std::string_view libraryVersion = "1.0.0";

    // The main bundle's information dictionary ("CFBundleVersion", "CFBundleShortVersionString");
    // the host sets it before the first record. Absent means there is none.
    static void setMainBundleInfo(std::optional<TallyDictionary> info);

    // Copies of the two dictionaries, taken under automaticPropertiesLock().
    static TallyDictionary properties();
    static TallyDictionary peopleProperties();
    static ReadWriteLock &automaticPropertiesLock();

    // The hardware architecture name (uname machine).
    static std::string deviceModel();

    // How the two dictionaries are made from their sources.
    static TallyDictionary makeProperties(
        const DeviceInfo &device, const std::optional<TallyDictionary> &bundleInfo);
    static TallyDictionary makePeopleProperties(
        const DeviceInfo &device, const std::optional<TallyDictionary> &bundleInfo);
};

} // namespace brimlark
