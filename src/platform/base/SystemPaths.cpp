#include "platform/base/SystemPaths.h"

#include <cstdlib>
#include <mutex>

namespace brimlark {

namespace {
std::mutex s_mutex;
std::string s_home;
std::string s_root;

std::string trimmed(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// The root a test set, else the environment variable's, else "/".
std::string rootOf(const std::string &overridden, const char *variable)
{
    {
        std::lock_guard lock(s_mutex);
        if (!overridden.empty()) {
            return trimmed(overridden);
        }
    }
    const char *value = std::getenv(variable);
    return trimmed(value && *value ? value : "/");
}
} // namespace

void SystemPaths::overrideRoots(const std::string &home, const std::string &systemRoot)
{
    std::lock_guard lock(s_mutex);
    s_home = home;
    s_root = systemRoot;
}

std::string SystemPaths::dataHome()
{
    // The freedesktop rule: a relative value is to be ignored.
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        return trimmed(xdg);
    }
    return join(home(), ".local/share");
}

std::string SystemPaths::home()
{
    return rootOf(s_home, "HOME");
}

std::string SystemPaths::systemRoot()
{
    return rootOf(s_root, "BRIMLARK_SYSTEM_ROOT");
}

std::string SystemPaths::join(const std::string &base, const std::string &rest)
{
    if (base == "/") {
        return "/" + rest;
    }
    return base + "/" + rest;
}

std::vector<std::string> SystemPaths::applicationDirectories()
{
    const std::string root = systemRoot();
    return { join(root, "Applications"), join(root, "System/Applications"), join(home(), "Applications") };
}

std::string SystemPaths::systemLibrary()
{
    return join(systemRoot(), "Library");
}

std::string SystemPaths::userLibrary()
{
    return join(home(), "Library");
}

std::string SystemPaths::caches()
{
    return join(userLibrary(), "Caches");
}

std::string SystemPaths::temporary()
{
    const char *t = std::getenv("TMPDIR");
    return trimmed(t && *t ? t : "/tmp");
}

} // namespace brimlark
