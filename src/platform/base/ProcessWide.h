#pragma once

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

namespace brimlark {

// The one shape of the process-wide objects (the analytics client's main executor, clock, random
// numbers, UUIDs, application lifecycle, registry and facade; the program's workspace storage,
// icon store, hot key and ruler managers): the composition root, or a test, installs each before
// anything reads it, and nothing builds a default on first use. A read before the install is a
// wiring fault and throws std::logic_error naming the object. Safe from any thread; the object is
// held for as long as it is installed or a reader still holds it.
template <typename T> class ProcessWide
{
public:
    explicit constexpr ProcessWide(const char *name)
        : m_name(name)
    {
    }
    ProcessWide(const ProcessWide &) = delete;
    ProcessWide &operator=(const ProcessWide &) = delete;

    std::shared_ptr<T> get() const
    {
        std::lock_guard lock(m_mutex);
        if (!m_object) {
            throw std::logic_error(std::string(m_name) + " is read before the program installed one");
        }
        return m_object;
    }

    // Installs the object (none uninstalls it) and returns the one it replaces, so that a test
    // can put it back.
    std::shared_ptr<T> install(std::shared_ptr<T> object)
    {
        std::lock_guard lock(m_mutex);
        m_object.swap(object);
        return object;
    }

    // Installs an object its owner keeps alive for as long as it is installed (none uninstalls).
    void installUnowned(T *object)
    {
        install(std::shared_ptr<T>(object, [](T *) {}));
    }

private:
    const char *m_name;
    mutable std::mutex m_mutex;
    std::shared_ptr<T> m_object;
};

} // namespace brimlark
