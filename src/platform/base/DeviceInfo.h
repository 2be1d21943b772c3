#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace brimlark {

// Facts about the machine for the analytics client's automatic properties. No Qt: the host hands
// in the main screen's size (on its main thread) because only the GUI layer knows it.
class DeviceInfo
{
public:
    struct ScreenSize
    {
        double width = 0;
        double height = 0;
        bool operator==(const ScreenSize &) const = default;
    };

    // Reads the release and vendor files below the given root ("/" on a real system).
    explicit DeviceInfo(std::filesystem::path root = "/");

    // The process-wide instance (created on first use over "/").
    static DeviceInfo &shared();

    // The hardware architecture name (uname machine), e.g. "x86_64".
    std::string machine() const;
    // The operating system's name (uname sysname), e.g. "Linux".
    std::string operatingSystemName() const;
    // PRETTY_NAME of os-release (etc/os-release, else usr/lib/os-release), else the kernel release.
    std::string operatingSystemVersion() const;
    // The machine's vendor as the firmware reports it, else "Unknown".
    std::string manufacturer() const;

    // Absent until the host reports a main screen; sizes in device-independent pixels.
    std::optional<ScreenSize> mainScreenSize() const;
    void setMainScreenSize(std::optional<ScreenSize> size);

    // The unquoted value of one key of an os-release text; absent when the key is missing.
    static std::optional<std::string> osReleaseValue(const std::string &contents, const std::string &key);

private:
    std::optional<std::string> readFirstLine(const std::filesystem::path &relative) const;
    std::optional<std::string> readWhole(const std::filesystem::path &relative) const;

    std::filesystem::path m_root;
    mutable std::mutex m_mutex;
    std::optional<ScreenSize> m_mainScreenSize;
};

} // namespace brimlark
