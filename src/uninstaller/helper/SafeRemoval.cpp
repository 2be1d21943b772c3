#include "SafeRemoval.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brimlark {

namespace {

struct Folder
{
    bool inHome;
    const char *relative;
};

// What the residual scan lists (the uninstaller's scan steps read exactly these).
constexpr Folder s_residualFolders[] = {
    { true, "Library/Preferences" },
    { false, "Library/Preferences" },
    { true, "Library/Application Support" },
    { true, "Library/Caches" },
    { true, "Library/Logs" },
    { true, "Library/Containers" },
    { true, "Library/Group Containers" },
    { true, "Library/LaunchAgents" },
    { false, "Library/LaunchAgents" },
    { false, "Library/LaunchDaemons" },
    { true, "Library/Logs/DiagnosticReports" },
    { true, "Library/Saved Application State" },
    { true, "Library/Extensions" },
    { false, "Library/Receipts" },
};

// Bundles live anywhere below these; the system's own applications folder is not one of them.
constexpr Folder s_applicationFolders[] = {
    { false, "Applications" },
    { true, "Applications" },
};

std::vector<std::string> split(const std::string &path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = path.find('/', start);
        const size_t stop = end == std::string::npos ? path.size() : end;
        parts.push_back(path.substr(start, stop - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return parts;
}

// Absolute and written plainly: no empty, "." or ".." pieces that a string
// comparison would misjudge.
bool plainComponents(const std::string &path, std::vector<std::string> &out)
{
    if (path.empty() || path.front() != '/') {
        return false;
    }
    out = split(path.substr(1));
    if (out.size() == 1 && out.front().empty()) {
        out.clear();
        return true;
    }
    for (const std::string &c : out) {
        if (c.empty() || c == "." || c == "..") {
            return false;
        }
    }
    return true;
}

std::vector<std::string> baseComponents(const std::string &base)
{
    std::vector<std::string> parts;
    plainComponents(base, parts);
    return parts;
}

bool startsWith(const std::vector<std::string> &path, const std::vector<std::string> &prefix)
{
    if (prefix.size() > path.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (path[i] != prefix[i]) {
            return false;
        }
    }
    return true;
}

std::string lastName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string failure(const std::string &name, const char *what, int error)
{
    return "“" + name + "” couldn’t be " + what + ": " + std::strerror(error);
}

// Removes name below parent, depth first, never leaving the file system of
// the item itself and never following a link.
bool removeAt(int parent, const std::string &name, dev_t device, std::string &reason)
{
    struct stat st;
    if (fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        reason = failure(name, "removed", errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (unlinkat(parent, name.c_str(), 0) != 0) {
            reason = failure(name, "removed", errno);
            return false;
        }
        return true;
    }
    if (st.st_dev != device) {
        reason = "“" + name + "” is on another file system and was left in place";
        return false;
    }
    const int fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        reason = failure(name, "removed", errno);
        return false;
    }
    DIR *dir = fdopendir(fd);
    if (!dir) {
        reason = failure(name, "removed", errno);
        close(fd);
        return false;
    }
    std::vector<std::string> children;
    while (dirent *entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            children.emplace_back(entry->d_name);
        }
    }
    bool ok = true;
    for (const std::string &child : children) {
        ok = removeAt(dirfd(dir), child, device, reason) && ok;
    }
    closedir(dir);
    if (!ok) {
        return false;
    }
    if (unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0) {
        reason = failure(name, "removed", errno);
        return false;
    }
    return true;
}

} // namespace

SafeRemoval::SafeRemoval(std::string home, std::string systemRoot, std::string trashFiles)
    : m_home(std::move(home))
    , m_systemRoot(std::move(systemRoot))
    , m_trashFiles(std::move(trashFiles))
{
}

std::vector<std::string> SafeRemoval::residualFolders(const std::string &home, const std::string &systemRoot)
{
    std::vector<std::string> out;
    for (const Folder &f : s_residualFolders) {
        const std::string &base = f.inHome ? home : systemRoot;
        out.push_back((base == "/" ? std::string() : base) + "/" + f.relative);
    }
    return out;
}

bool SafeRemoval::permits(const std::string &path) const
{
    Anchor anchor;
    std::string name;
    std::string reason;
    return locate(path, anchor, name, reason);
}

bool SafeRemoval::locate(
    const std::string &path, Anchor &anchor, std::string &name, std::string &reason) const
{
    std::vector<std::string> parts;
    if (!plainComponents(path, parts) || parts.empty()) {
        reason = "“" + path + "” is not a plain absolute path";
        return false;
    }
    const std::vector<std::string> rootParts = baseComponents(m_systemRoot);
    std::vector<std::string> systemParts = rootParts;
    systemParts.push_back("System");
    if ((!parts.empty() && parts.front() == "System") || startsWith(parts, systemParts)) {
        reason = "“" + lastName(path) + "” belongs to the system and was left in place";
        return false;
    }
    const auto match = [&](const Folder &f, bool anyDepth) {
        const std::string &base = f.inHome ? m_home : m_systemRoot;
        std::vector<std::string> prefix = baseComponents(base);
        const std::vector<std::string> relative = split(f.relative);
        prefix.insert(prefix.end(), relative.begin(), relative.end());
        if (!startsWith(parts, prefix) || parts.size() == prefix.size()) {
            return false;
        }
        if (!anyDepth && parts.size() != prefix.size() + 1) {
            return false;
        }
        anchor.base = base;
        anchor.below = relative;
        anchor.below.insert(anchor.below.end(), parts.begin() + prefix.size(), parts.end() - 1);
        name = parts.back();
        return true;
    };
    for (const Folder &f : s_residualFolders) {
        if (match(f, false)) {
            return true;
        }
    }
    const std::string &last = parts.back();
    if (last.size() > 4 && last.compare(last.size() - 4, 4, ".app") == 0) {
        for (const Folder &f : s_applicationFolders) {
            if (match(f, true)) {
                return true;
            }
        }
    }
    reason = "“" + lastName(path) + "” is outside the folders the uninstaller may change";
    return false;
}

int SafeRemoval::openParent(const Anchor &anchor, std::string &reason) const
{
    int fd = open(anchor.base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        reason = failure(lastName(anchor.base), "opened", errno);
        return -1;
    }
    for (const std::string &part : anchor.below) {
        const int next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        close(fd);
        if (next < 0) {
            reason = error == ELOOP || error == ENOTDIR ? "“" + part + "” is not a real folder"
                                                        : failure(part, "opened", error);
            return -1;
        }
        fd = next;
    }
    return fd;
}

SafeRemoval::Outcome SafeRemoval::remove(const std::string &path) const
{
    Anchor anchor;
    std::string name;
    Outcome outcome;
    if (!locate(path, anchor, name, outcome.reason)) {
        outcome.status = Status::Refused;
        return outcome;
    }
    const int parent = openParent(anchor, outcome.reason);
    if (parent < 0) {
        outcome.status = Status::Failed;
        return outcome;
    }
    struct stat st;
    if (fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        outcome = { Status::Failed, failure(name, "removed", errno) };
    } else if (!removeAt(parent, name, st.st_dev, outcome.reason)) {
        outcome.status = Status::Failed;
    }
    close(parent);
    return outcome;
}

SafeRemoval::Outcome SafeRemoval::moveToTrash(const std::string &path, const std::string &trashName) const
{
    Anchor anchor;
    std::string name;
    Outcome outcome;
    if (trashName.empty() || trashName == "." || trashName == ".."
        || trashName.find('/') != std::string::npos) {
        return { Status::Refused, "“" + trashName + "” is not a name for the Trash" };
    }
    std::vector<std::string> trashParts;
    if (!plainComponents(m_trashFiles, trashParts) || trashParts.empty()) {
        return { Status::Refused, "The Trash folder is not a plain absolute path" };
    }
    if (!locate(path, anchor, name, outcome.reason)) {
        outcome.status = Status::Refused;
        return outcome;
    }
    const int trash = open(m_trashFiles.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (trash < 0) {
        return { Status::Failed, failure("Trash", "opened", errno) };
    }
    const int parent = openParent(anchor, outcome.reason);
    if (parent < 0) {
        close(trash);
        outcome.status = Status::Failed;
        return outcome;
    }
    if (renameat2(parent, name.c_str(), trash, trashName.c_str(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        outcome = error == EEXIST
            ? Outcome { Status::DestinationExists, "“" + trashName + "” is already in the Trash" }
            : Outcome { Status::Failed, failure(name, "moved to the Trash", error) };
    }
    close(parent);
    close(trash);
    return outcome;
}

} // namespace brimlark
