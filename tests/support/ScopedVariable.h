#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace brimlark::test {

// Sets an environment variable (unsets it, given null) for the life of the
// scope, then puts back what was there before.
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const char *value)
        : m_name(name)
    {
        if (const char *current = std::getenv(name)) {
            m_saved = current;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable()
    {
        m_saved ? ::setenv(m_name.c_str(), m_saved->c_str(), 1) : ::unsetenv(m_name.c_str());
    }
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_saved;
};

} // namespace brimlark::test
