#include "state/HiddenItemsPassword.h"

#include "platform/base/Defaults.h"

namespace brimlark {

const std::string HiddenItemsPassword::passwordKey = "brimlark_hidden_password";
const std::string HiddenItemsPassword::useTouchIDKey = "brimlark_hidden_use_touchid";

HiddenItemsPassword::HiddenItemsPassword(Defaults &defaults, PasswordHashing::Limits limits)
    : m_defaults(defaults)
    , m_limits(limits)
{
}

std::string HiddenItemsPassword::storedValue() const
{
    return m_defaults.string(passwordKey).value_or(std::string());
}

bool HiddenItemsPassword::isSet() const
{
    return !storedValue().empty();
}

bool HiddenItemsPassword::matchesValue(const std::string &stored, const QString &typed)
{
    if (stored.empty()) {
        return typed.isEmpty();
    }
    if (PasswordHashing::isHash(stored)) {
        return PasswordHashing::verify(stored, typed);
    }
    // Still in clear text because an earlier migration could not hash it.
    return PasswordHashing::normalizedUtf8(QString::fromStdString(stored))
        == PasswordHashing::normalizedUtf8(typed);
}

bool HiddenItemsPassword::matches(const QString &typed)
{
    const std::string stored = storedValue();
    const bool ok = matchesValue(stored, typed);
    if (ok && !stored.empty() && !PasswordHashing::isHash(stored)) {
        migrateClearText();
    }
    return ok;
}

bool HiddenItemsPassword::storeHash(const std::string &hash)
{
    const auto previous = m_defaults.object(passwordKey);
    if (m_defaults.set(passwordKey, hash)) {
        return true;
    }
    if (previous) {
        m_defaults.set(passwordKey, *previous);
    } else {
        m_defaults.remove(passwordKey);
    }
    return false;
}

bool HiddenItemsPassword::store(const QString &password)
{
    if (password.isEmpty()) {
        remove();
        return true;
    }
    const auto hashed = PasswordHashing::hash(password, m_limits);
    return hashed && storeHash(*hashed);
}

void HiddenItemsPassword::remove()
{
    m_defaults.remove(passwordKey);
}

bool HiddenItemsPassword::useTouchID() const
{
    return m_defaults.boolean(useTouchIDKey).value_or(false);
}

void HiddenItemsPassword::setUseTouchID(bool use)
{
    m_defaults.set(useTouchIDKey, use);
}

bool HiddenItemsPassword::migrateClearText()
{
    const std::string stored = storedValue();
    if (stored.empty() || PasswordHashing::isHash(stored)) {
        return true;
    }
    const auto hashed = PasswordHashing::hash(QString::fromStdString(stored), m_limits);
    return hashed && storeHash(*hashed);
}

} // namespace brimlark
