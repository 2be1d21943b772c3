#pragma once

#include <atomic>
#include <filesystem>
#include <memory>

namespace brimlark {

// The lock that makes one process the writer of a settings folder: a lock
// file beside the domains, held with flock() from the first domain of the
// folder until the process ends. Two copies over one folder would each fold
// the journals into the file and remove the other's open journal. Never let
// go early: a domain made while the last one's lock was being closed would
// find its own process in the way.
class SettingsFolderLock
{
public:
    static constexpr const char *LockName = "settings.lock";

    // The folder's lock, taken by its first domain and shared by the rest.
    static std::shared_ptr<SettingsFolderLock> take(const std::filesystem::path &folder);
    ~SettingsFolderLock();
    SettingsFolderLock(const SettingsFolderLock &) = delete;
    SettingsFolderLock &operator=(const SettingsFolderLock &) = delete;

    // Whether this copy does not hold the lock, and why (an errno value):
    // EWOULDBLOCK when another copy holds it.
    bool notHeld() const { return m_failure != 0; }
    int failure() const { return m_failure; }
    // True once per folder: the first domain that finds it not held says so.
    bool claimReport() { return !m_reported.exchange(true); }

private:
    SettingsFolderLock() = default;
    int m_fd = -1;
    int m_failure = 0;
    std::atomic<bool> m_reported { false };
};

} // namespace brimlark
