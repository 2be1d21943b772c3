#include "platform/base/DeviceInfo.h"

#include <sys/utsname.h>

#include <fstream>
#include <sstream>

namespace brimlark {

namespace {

// Release and vendor files are a few hundred bytes; anything far larger is not what we expect.
constexpr std::streamsize s_maxFileSize = 64 * 1024;

std::string trimmed(const std::string &text)
{
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) {
        return {};
    }
    const auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

std::optional<std::string> unquoted(const std::string &raw)
{
    if (raw.empty()) {
        return std::string();
    }
    const char quote = raw.front();
    if (quote != '"' && quote != '\'') {
        return raw;
    }
    std::string out;
    for (std::size_t i = 1; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == quote) {
            // Nothing but blanks may follow the closing quote.
            if (!trimmed(raw.substr(i + 1)).empty()) {
                return std::nullopt;
            }
            return out;
        }
        if (quote == '"' && c == '\\' && i + 1 < raw.size()) {
            out += raw[++i];
            continue;
        }
        out += c;
    }
    return std::nullopt; // no closing quote
}

} // namespace

DeviceInfo::DeviceInfo(std::filesystem::path root)
    : m_root(std::move(root))
{
}

DeviceInfo &DeviceInfo::shared()
{
    static DeviceInfo s_shared;
    return s_shared;
}

std::string DeviceInfo::machine() const
{
    utsname info {};
    if (uname(&info) != 0) {
        return "Unknown";
    }
    return info.machine;
}

std::string DeviceInfo::operatingSystemName() const
{
    utsname info {};
    if (uname(&info) != 0 || info.sysname[0] == '\0') {
        return "Unknown";
    }
    return info.sysname;
}

std::string DeviceInfo::operatingSystemVersion() const
{
    for (const char *candidate : { "etc/os-release", "usr/lib/os-release" }) {
        if (const auto contents = readWhole(candidate)) {
            if (const auto pretty = osReleaseValue(*contents, "PRETTY_NAME"); pretty && !pretty->empty()) {
                return *pretty;
            }
            // The first file that exists is the one that counts, as the format's readers agree.
            break;
        }
    }
    utsname info {};
    if (uname(&info) != 0 || info.release[0] == '\0') {
        return "Unknown";
    }
    return info.release;
}

std::string DeviceInfo::manufacturer() const
{
    const auto vendor = readFirstLine("sys/class/dmi/id/sys_vendor");
    if (!vendor) {
        return "Unknown";
    }
    const std::string text = trimmed(*vendor);
    return text.empty() ? std::string("Unknown") : text;
}

std::optional<DeviceInfo::ScreenSize> DeviceInfo::mainScreenSize() const
{
    std::lock_guard lock(m_mutex);
    return m_mainScreenSize;
}

void DeviceInfo::setMainScreenSize(std::optional<ScreenSize> size)
{
    std::lock_guard lock(m_mutex);
    m_mainScreenSize = size;
}

std::optional<std::string> DeviceInfo::osReleaseValue(const std::string &contents, const std::string &key)
{
    std::istringstream lines(contents);
    std::string line;
    std::optional<std::string> found;
    while (std::getline(lines, line)) {
        const std::string text = trimmed(line);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        const auto equals = text.find('=');
        if (equals == std::string::npos || text.substr(0, equals) != key) {
            continue;
        }
        // A later assignment of the same key wins, as when the file is sourced.
        if (auto value = unquoted(text.substr(equals + 1))) {
            found = std::move(value);
        }
    }
    return found;
}

std::optional<std::string> DeviceInfo::readWhole(const std::filesystem::path &relative) const
{
    std::ifstream in(m_root / relative, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string contents(static_cast<std::size_t>(s_maxFileSize), '\0');
    in.read(contents.data(), s_maxFileSize);
    if (in.bad()) {
        return std::nullopt;
    }
    contents.resize(static_cast<std::size_t>(in.gcount()));
    return contents;
}

std::optional<std::string> DeviceInfo::readFirstLine(const std::filesystem::path &relative) const
{
    const auto contents = readWhole(relative);
    if (!contents) {
        return std::nullopt;
    }
    return contents->substr(0, contents->find('\n'));
}

} // namespace brimlark
