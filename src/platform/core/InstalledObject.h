#pragma once

#include <QtGlobal>

#include <atomic>

namespace brimlark {

// Where one of the program's process-wide Qt objects is kept (the workspace
// storage, the icon store, the hot key and ruler managers): the program
// installs each at start (nullptr uninstalls) and nothing builds a default,
// so a use before that is a wiring fault and ends the process naming the
// object. Readable from any thread.
template <typename T> class InstalledObject
{
public:
    explicit constexpr InstalledObject(const char *name)
        : m_name(name)
    {
    }
    InstalledObject(const InstalledObject &) = delete;
    InstalledObject &operator=(const InstalledObject &) = delete;

    T &get() const
    {
        T *object = m_object.load();
        if (!object) {
            qFatal("The %s is used before the program made it", m_name);
        }
        return *object;
    }
    void install(T *object) { m_object.store(object); }

private:
    const char *m_name;
    std::atomic<T *> m_object { nullptr };
};

} // namespace brimlark
