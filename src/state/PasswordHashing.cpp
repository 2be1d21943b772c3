#include "state/PasswordHashing.h"

#include <sodium.h>

namespace brimlark {

namespace {

bool sodiumReady()
{
    // sodium_init is thread-safe and idempotent; a negative result means the
    // library cannot be used at all.
    static const bool ready = sodium_init() >= 0;
    return ready;
}

} // namespace

PasswordHashing::Limits PasswordHashing::Limits::interactive()
{
    return { crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE };
}

PasswordHashing::Limits PasswordHashing::Limits::minimum()
{
    return { crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN };
}

QByteArray PasswordHashing::normalizedUtf8(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C).toUtf8();
}

std::optional<std::string> PasswordHashing::hash(const QString &password, const Limits &limits)
{
    if (!sodiumReady()) {
        return std::nullopt;
    }
    QByteArray bytes = normalizedUtf8(password);
    char out[crypto_pwhash_STRBYTES] = {};
    const int rc = crypto_pwhash_str(out, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
        limits.opsLimit, limits.memLimit);
    sodium_memzero(bytes.data(), static_cast<size_t>(bytes.size()));
    if (rc != 0) {
        return std::nullopt;
    }
    return std::string(out);
}

bool PasswordHashing::isHash(const std::string &text)
{
    if (!sodiumReady()) {
        return false;
    }
    if (text.size() >= crypto_pwhash_STRBYTES || text.rfind(crypto_pwhash_STRPREFIX, 0) != 0) {
        return false;
    }
    // -1 means the text does not decode as a hash of this algorithm; 0 and 1
    // only tell whether its parameters match the ones given.
    return crypto_pwhash_str_needs_rehash(
               text.c_str(), crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN)
        != -1;
}

bool PasswordHashing::verify(const std::string &hash, const QString &password)
{
    if (!isHash(hash)) {
        return false;
    }
    QByteArray bytes = normalizedUtf8(password);
    const bool ok = crypto_pwhash_str_verify(
                        hash.c_str(), bytes.constData(), static_cast<unsigned long long>(bytes.size()))
        == 0;
    sodium_memzero(bytes.data(), static_cast<size_t>(bytes.size()));
    return ok;
}

} // namespace brimlark
