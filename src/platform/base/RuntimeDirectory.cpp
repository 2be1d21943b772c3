#include "platform/base/RuntimeDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brimlark {

namespace {

std::optional<std::filesystem::path> refuse(std::string *whyNot, std::string reason)
{
    if (whyNot) {
        *whyNot = std::move(reason);
    }
    return std::nullopt;
}

std::filesystem::path candidate()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/') {
        return std::filesystem::path(runtime) / "brimlark";
    }
    const char *tmp = std::getenv("TMPDIR");
    const std::filesystem::path base(tmp && *tmp == '/' ? tmp : "/tmp");
    return base / ("brimlark-" + std::to_string(::getuid()));
}

} // namespace

std::optional<std::filesystem::path> privateRuntimeDirectory(std::string *whyNot)
{
    const std::filesystem::path folder = candidate();
    const std::string text = folder.string();
    // mkdir never follows a link planted at the name, and fails on anything
    // already there; what is there is then checked, never changed.
    if (::mkdir(text.c_str(), 0700) != 0 && errno != EEXIST) {
        return refuse(whyNot, text + ": cannot create: " + std::strerror(errno));
    }
    struct stat info
    {
    };
    if (::lstat(text.c_str(), &info) != 0) {
        return refuse(whyNot, text + ": " + std::strerror(errno));
    }
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode)) {
        return refuse(whyNot, text + ": not a folder");
    }
    if (info.st_uid != ::getuid()) {
        return refuse(whyNot, text + ": owned by another user");
    }
    if ((info.st_mode & 077) != 0) {
        return refuse(whyNot, text + ": open to other users");
    }
    return folder;
}

} // namespace brimlark
