#pragma once

#include <string>
#include <vector>

namespace brimlark {

// Every path the launcher touches comes from two roots: the home folder
// (HOME) and a system root ("/", or BRIMLARK_SYSTEM_ROOT when set). Paths are
// returned without a trailing separator.
class SystemPaths
{
public:
    static std::string home();
    static std::string systemRoot();

    // <root>/Applications, <root>/System/Applications, ~/Applications.
    static std::vector<std::string> applicationDirectories();
    static std::string systemLibrary(); // <root>/Library
    static std::string userLibrary(); // ~/Library
    static std::string caches(); // ~/Library/Caches
    // $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
    static std::string dataHome();
    static std::string temporary(); // TMPDIR or /tmp

    // Override both roots (tests and the sample run); empty restores the environment.
    static void overrideRoots(const std::string &home, const std::string &systemRoot);

private:
    static std::string join(const std::string &base, const std::string &rest);
};

} // namespace brimlark
