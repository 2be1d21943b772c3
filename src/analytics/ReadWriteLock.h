#pragma once

#include <mutex>
#include <shared_mutex>
#include <string>
#include <utility>

namespace brimlark {

// Readers run side by side; a writer runs alone. Both run the closure synchronously on the
// calling thread and hand back its result. Not re-entrant: a closure must not take the same
// lock again (a nested read can deadlock behind a waiting writer).
class ReadWriteLock
{
public:
    explicit ReadWriteLock(std::string label)
        : m_label(std::move(label))
    {
    }
    ReadWriteLock(const ReadWriteLock &) = delete;
    ReadWriteLock &operator=(const ReadWriteLock &) = delete;

    const std::string &label() const { return m_label; }

    template <typename Closure> decltype(auto) read(Closure &&closure) const
    {
        std::shared_lock guard(m_mutex);
        return std::forward<Closure>(closure)();
    }

    template <typename Closure> decltype(auto) write(Closure &&closure)
    {
        std::unique_lock guard(m_mutex);
        return std::forward<Closure>(closure)();
    }

private:
    std::string m_label;
    mutable std::shared_mutex m_mutex;
};

} // namespace brimlark
