#include "platform/base/DiskAccess.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace brimlark {

namespace {

bool canList(const std::string &folder)
{
    struct stat st
    {
    };
    if (stat(folder.c_str(), &st) != 0) {
        // Missing is nothing to read; any other failure (a folder above it
        // that cannot be searched, a link loop) hides what the scan needs.
        return errno == ENOENT || errno == ENOTDIR;
    }
    if (!S_ISDIR(st.st_mode)) {
        return true;
    }
    DIR *dir = opendir(folder.c_str());
    if (!dir) {
        return false;
    }
    errno = 0;
    const bool listed = readdir(dir) != nullptr || errno == 0;
    closedir(dir);
    return listed;
}

} // namespace

FolderDiskAccess::FolderDiskAccess(Folders folders, Opener open)
    : m_folders(std::move(folders))
    , m_open(std::move(open))
{
}

std::optional<std::string> FolderDiskAccess::firstUnreadableFolder() const
{
    if (!m_folders) {
        return std::nullopt;
    }
    for (const std::string &folder : m_folders()) {
        if (!canList(folder)) {
            return folder;
        }
    }
    return std::nullopt;
}

bool FolderDiskAccess::hasAccess()
{
    return !firstUnreadableFolder();
}

void FolderDiskAccess::openSystemSettings()
{
    if (const std::optional<std::string> folder = firstUnreadableFolder(); folder && m_open) {
        m_open(*folder);
    }
}

} // namespace brimlark
