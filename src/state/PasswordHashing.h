#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>
#include <string>

namespace brimlark {

// Salted, deliberately slow password hashes (Argon2id) in their standard
// self-describing text form. Passwords are compared in Unicode NFC, so the
// same word typed with composed or decomposed accents matches.
class PasswordHashing
{
public:
    struct Limits
    {
        unsigned long long opsLimit = 0;
        std::size_t memLimit = 0;
        // What an interactive unlock can afford.
        static Limits interactive();
        // The cheapest the algorithm allows (tests).
        static Limits minimum();
    };

    // Nothing when hashing failed (for example limits out of range or no memory).
    static std::optional<std::string> hash(const QString &password, const Limits &limits);
    // Whether the text is a hash this class can verify against.
    static bool isHash(const std::string &text);
    static bool verify(const std::string &hash, const QString &password);

    static QByteArray normalizedUtf8(const QString &text);
};

} // namespace brimlark
