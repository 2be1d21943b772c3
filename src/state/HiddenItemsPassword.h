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

    // The pieces the view model runs apart, so the slow hashing can leave the
    // GUI thread: the stored text as it is, the comparison against it (safe
    // on any thread), and the write of a finished hash.
    std::string storedValue() const;
    static bool matchesValue(const std::string &stored, const QString &typed);
    // False when the settings could not be written; the value stored before
    // is then put back, so a failed write never leaves a password the user
    // was told was not saved.
    bool storeHash(const std::string &hash);
    const PasswordHashing::Limits &limits() const { return m_limits; }

private:
    Defaults &m_defaults;
    PasswordHashing::Limits m_limits;
};

} // namespace brimlark
