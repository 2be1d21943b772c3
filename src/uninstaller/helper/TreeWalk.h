#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <functional>
#include <string>

namespace brimlark {

// Walks the tree below one item, depth first, never following a symbolic link
// and holding a bounded number of descriptors open, so a tree deeper than the
// open-file limit is walked in full. A folder whose descriptor was closed is
// opened again from its nearest open ancestor and must still be the folder it
// was (same device and inode); a swapped one ends that branch with an error.
// No Qt: the privileged helper uses it.
class TreeWalk
{
public:
    enum class Step {
        descend,
        skip,
    };
    // A folder before its contents; skip leaves it (and its leave call) out.
    std::function<Step(int parentFd, const std::string &name, const struct stat &st)> enter;
    // A folder after its contents.
    std::function<void(int parentFd, const std::string &name, const struct stat &st)> leave;
    // Anything that is not a folder (links included, never followed).
    std::function<void(int parentFd, const std::string &name, const struct stat &st)> visit;
    // Entries whose name starts with "." are not walked (the item itself is).
    bool skipHidden = false;
    // Folder descriptors held open at most, besides parentFd and one listing.
    std::size_t maxOpen = 32;

    // Walks parentFd/name. False when a folder could not be read or changed
    // during the walk (the callbacks report their own failures); the walk goes
    // on with the rest, and reason and error tell the first failure.
    bool run(int parentFd, const std::string &name);

    std::string reason;
    int error = 0;

    void fail(const std::string &name, const char *what, int code);
    // strerror's text, but "No permission" for EACCES and EPERM.
    static std::string describe(int code);

private:
    bool m_ok = true;
};

// Whether parentFd/name is the root of a mount (statx's mount-root
// attribute; false where the kernel does not say).
bool isMountRoot(int parentFd, const std::string &name);

} // namespace brimlark
