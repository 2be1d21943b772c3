#include "uninstaller/RemovalHelperPath.h"

#include <system_error>

namespace brimlark {

std::filesystem::path installedHelperBeside(const std::filesystem::path &programDir)
{
    const std::filesystem::path helper
        = (programDir / BRIMLARK_INSTALLED_HELPER_FROM_BINDIR).lexically_normal();
    std::error_code error;
    return std::filesystem::is_regular_file(helper, error) ? helper : std::filesystem::path();
}

std::string removalHelperPath()
{
    // The kernel's name for our executable has every link resolved, as the
    // path written into the polkit action has.
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path installed = installedHelperBeside(program.parent_path());
        if (!installed.empty()) {
            return installed.string();
        }
    }
    return BRIMLARK_REMOVAL_HELPER;
}

} // namespace brimlark
