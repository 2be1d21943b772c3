#include "platform/base/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brimlark {

RegularFile::Result RegularFile::read(const char *path, std::size_t maxBytes, struct stat *opened)
{
    Result result;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.status = errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Failed;
        return result;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0) {
        ::close(fd);
        return result;
    }
    if (opened) {
        *opened = status;
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        result.status = Status::NotRegular;
        return result;
    }
    if (status.st_size < 0 || std::size_t(status.st_size) > maxBytes) {
        ::close(fd);
        result.status = Status::TooLarge;
        return result;
    }
    // The file may grow while it is read: read at most one byte past the
    // bound to notice.
    std::string bytes(std::size_t(status.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > maxBytes) {
                ::close(fd);
                result.status = Status::TooLarge;
                return result;
            }
            bytes.resize(std::min(maxBytes + 1, bytes.size() * 2));
        }
        const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return result;
        }
        if (n == 0) {
            break;
        }
        filled += std::size_t(n);
    }
    ::close(fd);
    if (filled > maxBytes) {
        result.status = Status::TooLarge;
        return result;
    }
    bytes.resize(filled);
    result.status = Status::Read;
    result.bytes = std::move(bytes);
    return result;
}

} // namespace brimlark
