#pragma once

#include "state/PasswordHashing.h"

#include <QString>

#include <string>

namespace brimlark {

class Defaults;

// The hidden-items password and the Touch ID preference in the standard
// defaults, shared by all workspaces. The password is kept only as a salted
// hash; a value in clear text left by an earlier build is replaced by its
// hash as soon as it is seen and still unlocks meanwhile.
class HiddenItemsPassword
{
public:
    static const std::string passwordKey; // "brimlark_hidden_password"
    static const std::string useTouchIDKey; // "brimlark_hidden_use_touchid"

    HiddenItemsPassword(Defaults &defaults, PasswordHashing::Limits limits);

    // An absent, empty or unreadable stored value means no password.
    bool isSet() const;
    // With no password, only the empty text matches.
    bool matches(const QString &typed);
    // Hashes and stores the password; false (and nothing written) when
    // hashing failed. The empty password removes the lock.
    bool store(const QString &password);
    void remove();

    bool useTouchID() const;
    void setUseTouchID(bool use);

    // Replaces a clear-text value by its hash. False when one is still stored
    // in clear text (hashing failed; the value is left as it was).
    bool migrateClearText();

private:
    std::string storedValue() const;

    Defaults &m_defaults;
    PasswordHashing::Limits m_limits;
};

} // namespace brimlark
