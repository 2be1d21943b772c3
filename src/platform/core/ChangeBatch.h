#pragma once

#include <functional>
#include <initializer_list>
#include <utility>

namespace brimlark {

// One change told per operation: each public operation of an object opens a
// Scope and marks the parts it changes; when the outermost scope closes, the
// owner's `announce` runs once with every part touched meanwhile (operations
// nested in it, or started from it, fold in). `settle`, when given, runs
// just before, still inside the operation, so what it changes is told with
// the rest.
class ChangeBatch
{
public:
    explicit ChangeBatch(std::function<void(unsigned touched)> announce, std::function<void()> settle = {})
        : m_announce(std::move(announce))
        , m_settle(std::move(settle))
    {
    }
    ChangeBatch(const ChangeBatch &) = delete;
    ChangeBatch &operator=(const ChangeBatch &) = delete;

    void touch(unsigned parts) { m_touched |= parts; }
    bool touched(unsigned parts) const { return (m_touched & parts) != 0; }

    class Scope
    {
    public:
        explicit Scope(ChangeBatch &batch)
            : m_batch(batch)
        {
            ++m_batch.m_depth;
        }
        ~Scope()
        {
            if (m_batch.m_depth == 1 && m_batch.m_settle) {
                m_batch.m_settle();
            }
            if (--m_batch.m_depth == 0) {
                const unsigned touched = std::exchange(m_batch.m_touched, 0u);
                if (touched != 0) {
                    m_batch.m_announce(touched);
                }
            }
        }
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        ChangeBatch &m_batch;
    };

    // The announcement most owners make: each touched part's signal, in the
    // order given, then `changed` once.
    template <typename Owner>
    static void emitTouched(Owner &owner, unsigned touched,
        std::initializer_list<std::pair<unsigned, void (Owner::*)()>> notifications, void (Owner::*changed)())
    {
        for (const auto &[part, signal] : notifications) {
            if (touched & part) {
                (owner.*signal)();
            }
        }
        (owner.*changed)();
    }

private:
    std::function<void(unsigned)> m_announce;
    std::function<void()> m_settle;
    int m_depth = 0;
    unsigned m_touched = 0;
};

} // namespace brimlark
