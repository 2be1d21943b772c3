#include "platform/base/SettingsFolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace brimlark {

std::shared_ptr<SettingsFolderLock> SettingsFolderLock::take(const std::filesystem::path &folder)
{
    static std::mutex s_mutex;
    static std::map<std::filesystem::path, std::shared_ptr<SettingsFolderLock>> s_locks;
    std::lock_guard guard(s_mutex);
    auto &slot = s_locks[folder];
    if (slot) {
        return slot;
    }
    auto lock = std::shared_ptr<SettingsFolderLock>(new SettingsFolderLock);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const auto path = folder / LockName;
    lock->m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // Whatever keeps the lock from being taken (another copy holding it, a
    // file system without locks, a lock file that cannot be made) leaves
    // this copy a reader: a writer without the lock could fold over another.
    if (lock->m_fd < 0) {
        lock->m_failure = errno;
    } else if (::flock(lock->m_fd, LOCK_EX | LOCK_NB) != 0) {
        lock->m_failure = errno;
    }
    slot = lock;
    return lock;
}

SettingsFolderLock::~SettingsFolderLock()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

} // namespace brimlark
