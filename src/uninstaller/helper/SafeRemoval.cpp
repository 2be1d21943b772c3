#include "SafeRemoval.h"

#include "TreeWalk.h"

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
    return "“" + name + "” couldn’t be " + what + ": " + TreeWalk::describe(error);
}

// Where a walk met a mount inside the item: a folder (or a file bound over
// a file) that is the root of a mount, or that lies on another file system.
// A bind mount of a folder of the same file system shows only as the former.
enum class Crossing {
    none,
    otherFileSystem,
    mountPoint,
};

Crossing crossing(int parent, const std::string &name, const struct stat &st, dev_t device)
{
    if (st.st_dev != device) {
        return Crossing::otherFileSystem;
    }
    return isMountRoot(parent, name) ? Crossing::mountPoint : Crossing::none;
}

// Removes name below parent, depth first, never following a link and never
// entering a mount: what is mounted inside the item is left with what is on
// it, and so are the folders that hold it.
bool removeAt(int parent, const std::string &name, dev_t device, std::string &reason, int &error)
{
    TreeWalk walk;
    std::string stopped;
    // True (after noting it) when the entry is a mount the walk must leave.
    const auto stopsAt = [&](int at, const std::string &entry, const struct stat &st) {
        const Crossing c = crossing(at, entry, st, device);
        if (c == Crossing::none) {
            return false;
        }
        if (stopped.empty() && walk.error == 0) {
            stopped = c == Crossing::otherFileSystem
                ? "“" + entry + "” is on another file system and was left in place"
                : "“" + entry + "” is a mount point and was left in place, with the folders that hold it";
        }
        walk.fail(entry, "removed", EXDEV);
        return true;
    };
    walk.enter = [&](int at, const std::string &folder, const struct stat &st) {
        return stopsAt(at, folder, st) ? TreeWalk::Step::skip : TreeWalk::Step::descend;
    };
    walk.visit = [&](int at, const std::string &entry, const struct stat &st) {
        if (!stopsAt(at, entry, st) && unlinkat(at, entry.c_str(), 0) != 0) {
            walk.fail(entry, "removed", errno);
        }
    };
    walk.leave = [&](int at, const std::string &folder, const struct stat &) {
        if (unlinkat(at, folder.c_str(), AT_REMOVEDIR) != 0) {
            walk.fail(folder, "removed", errno);
        }
    };
    if (walk.run(parent, name)) {
        return true;
    }
    reason = stopped.empty() ? walk.reason : stopped;
    error = walk.error;
    return false;
}

// The first mount inside the item, found before a move: a rename takes a
// mount along into the Trash, which is emptied later, and with rights would
// hand what is on it over. Empty when there is none; false when part of the
// item could not be read, so nobody can tell.
bool findMount(int parent, const std::string &name, dev_t device, std::string &found, std::string &reason)
{
    TreeWalk walk;
    const auto check = [&](int at, const std::string &entry, const struct stat &st) {
        if (found.empty() && crossing(at, entry, st, device) != Crossing::none) {
            found = entry;
        }
        return found.empty();
    };
    walk.enter = [&](int at, const std::string &folder, const struct stat &st) {
        return check(at, folder, st) ? TreeWalk::Step::descend : TreeWalk::Step::skip;
    };
    walk.visit = [&](int at, const std::string &entry, const struct stat &st) { check(at, entry, st); };
    if (!walk.run(parent, name) && found.empty()) {
        reason = walk.reason;
        return false;
    }
    return true;
}

// An item that is itself a mount point (or sits on another file system than
// the folder holding it) would take that file system's contents with it.
bool onOwnFileSystem(int parent, const std::string &name, const struct stat &item)
{
    struct stat folder;
    return fstat(parent, &folder) == 0 && folder.st_dev == item.st_dev && !isMountRoot(parent, name);
}

} // namespace

SafeRemoval::SafeRemoval(
    std::string home, std::string systemRoot, std::string trashFiles, std::optional<Account> account)
    : m_home(cleaned(home))
    , m_systemRoot(cleaned(systemRoot))
    , m_trashFiles(cleaned(trashFiles))
    , m_account(account)
{
}

std::string SafeRemoval::cleaned(const std::string &path)
{
    if (path.empty() || path.front() != '/') {
        return path;
    }
    std::string out;
    for (const std::string &part : split(path.substr(1))) {
        if (!part.empty() && part != ".") {
            out += "/" + part;
        }
    }
    return out.empty() ? "/" : out;
}

std::string SafeRemoval::accountTrashFiles(const std::string &home)
{
    const std::string base = cleaned(home);
    return (base == "/" ? std::string() : base) + "/.local/share/Trash/files";
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
        outcome = { Status::Failed, failure(name, "removed", errno), errno };
    } else if (!onOwnFileSystem(parent, name, st)) {
        outcome
            = { Status::Refused, "“" + name + "” is on another file system and was left in place", EXDEV };
    } else if (!removeAt(parent, name, st.st_dev, outcome.reason, outcome.error)) {
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
    int trashError = 0;
    const int trash = openTrash(outcome.reason, trashError);
    if (trash < 0) {
        return { Status::Refused, outcome.reason, trashError };
    }
    const int parent = openParent(anchor, outcome.reason);
    if (parent < 0) {
        close(trash);
        outcome.status = Status::Failed;
        return outcome;
    }
    struct stat st;
    std::string mount;
    if (fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        outcome = { Status::Failed, failure(name, "moved to the Trash", errno), errno };
    } else if (!onOwnFileSystem(parent, name, st)) {
        outcome
            = { Status::Refused, "“" + name + "” is on another file system and was left in place", EXDEV };
    } else if (!findMount(parent, name, st.st_dev, mount, outcome.reason)) {
        outcome.status = Status::Failed;
    } else if (!mount.empty()) {
        outcome = { Status::Refused,
            "“" + name + "” holds a mount point, “" + mount + "”, and was left in place", EXDEV };
    } else if (renameat2(parent, name.c_str(), trash, trashName.c_str(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        outcome = error == EEXIST
            ? Outcome { Status::DestinationExists, "“" + trashName + "” is already in the Trash", error }
            : Outcome { Status::Failed, failure(name, "moved to the Trash", error), error };
    } else if (m_account) {
        handOver(trash, trashName, st);
    }
    close(parent);
    close(trash);
    return outcome;
}

int SafeRemoval::openTrash(std::string &reason, int &error) const
{
    std::vector<std::string> trashParts;
    std::vector<std::string> homeParts;
    if (!m_account) {
        const int fd = open(m_trashFiles.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            error = errno;
            reason = failure("Trash", "opened", error);
        }
        return fd;
    }
    // For an account, the Trash is trusted only below its home, one real
    // folder of that account's at a time.
    if (!plainComponents(m_trashFiles, trashParts) || !plainComponents(m_home, homeParts)
        || !startsWith(trashParts, homeParts) || trashParts.size() == homeParts.size()) {
        reason = "The Trash is not inside the home folder";
        return -1;
    }
    int fd = open(m_home.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        reason = failure(lastName(m_home), "opened", error);
        return -1;
    }
    for (size_t i = homeParts.size(); i < trashParts.size(); ++i) {
        const int next = openat(fd, trashParts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        error = errno;
        close(fd);
        struct stat st;
        if (next < 0 || fstat(next, &st) != 0 || st.st_uid != m_account->uid) {
            if (next >= 0) {
                close(next);
                error = EPERM;
            }
            reason = "“" + trashParts[i] + "” of the Trash is not a folder of the user’s own";
            return -1;
        }
        fd = next;
    }
    return fd;
}

void SafeRemoval::handOver(int trash, const std::string &name, const struct stat &moved) const
{
    // Moved with administrator rights, the item is still root's: give it,
    // and everything in it, to the account whose Trash it is now in, so that
    // emptying or restoring it works. Set-id bits go: nothing in the Trash
    // runs with anyone else's rights. Folders are given last, after their
    // contents, so nothing inside can be swapped while this runs; files and
    // folders are changed through a descriptor of the very object walked.
    // Only what the move made the account's changes hands: nothing past a
    // mount (refused before the move; checked again here), and no file that
    // has other links, which are still someone else's names for it.
    TreeWalk walk;
    const auto give = [&](int at, const std::string &entry, const struct stat &st) {
        if (S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode) || (!S_ISDIR(st.st_mode) && st.st_nlink > 1)
            || crossing(at, entry, st, moved.st_dev) != Crossing::none) {
            return; // a device node, a linked file, a mount stay as they are
        }
        if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
            if (fchownat(at, entry.c_str(), m_account->uid, m_account->gid, AT_SYMLINK_NOFOLLOW) != 0) {
                walk.fail(entry, "handed over", errno);
            }
            return;
        }
        const int fd = openat(at, entry.c_str(),
            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC
                | (S_ISDIR(st.st_mode) ? O_DIRECTORY : 0));
        struct stat now;
        if (fd < 0 || fstat(fd, &now) != 0 || now.st_dev != st.st_dev || now.st_ino != st.st_ino) {
            walk.fail(entry, "handed over", fd < 0 ? errno : ESTALE);
        } else if (!S_ISDIR(now.st_mode) && now.st_nlink > 1) {
            // Linked meanwhile: not the account's alone.
        } else {
            if (fchown(fd, m_account->uid, m_account->gid) != 0) {
                walk.fail(entry, "handed over", errno);
            }
            if (now.st_mode & (S_ISUID | S_ISGID)) {
                fchmod(fd, now.st_mode & 07777 & ~mode_t(S_ISUID | S_ISGID));
            }
        }
        if (fd >= 0) {
            close(fd);
        }
    };
    walk.enter = [&](int at, const std::string &entry, const struct stat &st) {
        // The top item must still be the one moved in.
        const bool top = at == trash && entry == name;
        const bool ok = top ? st.st_dev == moved.st_dev && st.st_ino == moved.st_ino
                            : crossing(at, entry, st, moved.st_dev) == Crossing::none;
        return ok ? TreeWalk::Step::descend : TreeWalk::Step::skip;
    };
    walk.visit = [&](int at, const std::string &entry, const struct stat &st) {
        if (at != trash || (st.st_dev == moved.st_dev && st.st_ino == moved.st_ino)) {
            give(at, entry, st);
        }
    };
    walk.leave = give;
    walk.run(trash, name);
}

} // namespace brimlark
