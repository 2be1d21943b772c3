#include "TreeWalk.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace brimlark {

namespace {

struct Frame
{
    std::string name;
    struct stat st;
    int fd = -1;
    std::vector<std::string> children;
    std::size_t next = 0;
};

int openFolder(int parentFd, const std::string &name)
{
    return openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool sameObject(int fd, const struct stat &expected)
{
    struct stat now;
    return fstat(fd, &now) == 0 && now.st_dev == expected.st_dev && now.st_ino == expected.st_ino;
}

// The names in a folder, read through a duplicate so fd stays usable.
bool listNames(int fd, bool skipHidden, std::vector<std::string> &out)
{
    const int listing = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (listing < 0) {
        return false;
    }
    DIR *dir = fdopendir(listing);
    if (!dir) {
        close(listing);
        return false;
    }
    rewinddir(dir);
    while (dirent *entry = readdir(dir)) {
        const char *n = entry->d_name;
        if (std::strcmp(n, ".") == 0 || std::strcmp(n, "..") == 0 || (skipHidden && n[0] == '.')) {
            continue;
        }
        out.emplace_back(n);
    }
    closedir(dir);
    return true;
}

} // namespace

std::string TreeWalk::describe(int code)
{
    // The sheet tells "No permission" apart from other failures.
    return code == EACCES || code == EPERM ? std::string("No permission") : std::string(std::strerror(code));
}

void TreeWalk::fail(const std::string &name, const char *what, int code)
{
    if (m_ok) {
        reason = "“" + name + "” couldn’t be " + what + ": " + describe(code);
        error = code;
    }
    m_ok = false;
}

bool TreeWalk::run(int rootParent, const std::string &rootName)
{
    m_ok = true;
    reason.clear();
    error = 0;
    struct stat st;
    if (fstatat(rootParent, rootName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        fail(rootName, "read", errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (visit) {
            visit(rootParent, rootName, st);
        }
        return m_ok;
    }

    std::vector<Frame> frames;
    std::size_t open = 0;
    const auto closeFrame = [&](Frame &f) {
        if (f.fd >= 0) {
            close(f.fd);
            f.fd = -1;
            --open;
        }
    };
    // Keeps at most maxOpen folders open, giving up the shallowest first:
    // they are needed again only on the way back up.
    const auto trim = [&](std::size_t keep) {
        for (std::size_t i = 0; open > maxOpen && i < frames.size(); ++i) {
            if (i != keep) {
                closeFrame(frames[i]);
            }
        }
    };
    const auto parentOf = [&](std::size_t i) -> int { return i == 0 ? rootParent : frames[i - 1].fd; };
    // The descriptor of frame i, opened again from its nearest open ancestor.
    const auto fdOf = [&](std::size_t i) -> int {
        if (frames[i].fd >= 0) {
            return frames[i].fd;
        }
        std::size_t from = i;
        while (from > 0 && frames[from - 1].fd < 0) {
            --from;
        }
        for (std::size_t k = from; k <= i; ++k) {
            const int fd = openFolder(parentOf(k), frames[k].name);
            if (fd < 0 || !sameObject(fd, frames[k].st)) {
                if (fd >= 0) {
                    close(fd);
                }
                fail(frames[k].name, "read again", fd < 0 ? errno : ESTALE);
                return -1;
            }
            frames[k].fd = fd;
            ++open;
            trim(k);
        }
        return frames[i].fd;
    };
    // Opens a folder met in the walk and lists it; false when it cannot.
    const auto push = [&](int parentFd, const std::string &name, const struct stat &folder) {
        const int fd = openFolder(parentFd, name);
        if (fd < 0 || !sameObject(fd, folder)) {
            const int code = fd < 0 ? errno : ESTALE;
            if (fd >= 0) {
                close(fd);
            }
            fail(name, "opened", code);
            return;
        }
        Frame frame { name, folder, fd, {}, 0 };
        if (!listNames(fd, skipHidden, frame.children)) {
            fail(name, "listed", errno);
        }
        frames.push_back(std::move(frame));
        ++open;
        trim(frames.size() - 1);
    };

    if (enter && enter(rootParent, rootName, st) == Step::skip) {
        return m_ok;
    }
    push(rootParent, rootName, st);
    while (!frames.empty()) {
        const std::size_t top = frames.size() - 1;
        if (frames[top].next < frames[top].children.size()) {
            const std::string child = frames[top].children[frames[top].next++];
            const int fd = fdOf(top);
            if (fd < 0) {
                frames[top].next = frames[top].children.size();
                continue;
            }
            struct stat cs;
            if (fstatat(fd, child.c_str(), &cs, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT) {
                    fail(child, "read", errno);
                }
                continue;
            }
            if (!S_ISDIR(cs.st_mode)) {
                if (visit) {
                    visit(fd, child, cs);
                }
            } else if (!enter || enter(fd, child, cs) == Step::descend) {
                push(fd, child, cs);
            }
            continue;
        }
        closeFrame(frames[top]);
        Frame done = std::move(frames[top]);
        frames.pop_back();
        const int parent = frames.empty() ? rootParent : fdOf(frames.size() - 1);
        if (parent >= 0 && leave) {
            leave(parent, done.name, done.st);
        }
    }
    return m_ok;
}

bool isMountRoot(int parentFd, const std::string &name)
{
#ifdef STATX_ATTR_MOUNT_ROOT
    struct statx sx;
    if (statx(parentFd, name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &sx) == 0) {
        return (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
            && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
    }
#else
    (void)parentFd;
    (void)name;
#endif
    return false;
}

} // namespace brimlark
