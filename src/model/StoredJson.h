#pragma once

#include "platform/base/Defaults.h"

#include <nlohmann/json.hpp>

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace brimlark {

// JSON lists kept as UTF-8 data in the defaults database. A stored value that
// does not decode is copied aside ("<key>_unreadable", numbered after the
// first) before anything can be written over it, so one malformed record
// never costs the user the rest.
class StoredJson
{
public:
    // The decoded list, or nothing when the key is absent or unreadable.
    template <typename T>
    static std::optional<std::vector<T>> readList(Defaults &defaults, const QString &key,
        const std::function<std::optional<T>(const nlohmann::ordered_json &)> &decode)
    {
        auto raw = readArray(defaults, key);
        if (!raw) {
            return std::nullopt;
        }
        std::vector<T> out;
        out.reserve(raw->size());
        for (const auto &element : *raw) {
            auto item = decode(element);
            if (!item) {
                keepUnreadable(defaults, key);
                return std::nullopt;
            }
            out.push_back(std::move(*item));
        }
        return out;
    }

    // The stored array, or nothing (absent, not data, not a JSON array).
    static std::optional<nlohmann::ordered_json> readArray(Defaults &defaults, const QString &key);
    static bool write(Defaults &defaults, const QString &key, const nlohmann::ordered_json &json);
    static void keepUnreadable(Defaults &defaults, const QString &key);
    // "<key>_unreadable" for the first value kept aside, "<key>_unreadable_2"
    // for the next, and so on; past the last, nothing more is kept.
    static QString unreadableKey(const QString &key, int n = 1)
    {
        return key + QStringLiteral("_unreadable") + (n > 1 ? QStringLiteral("_%1").arg(n) : QString());
    }
    static constexpr int MaxUnreadableCopies = 100;
};

} // namespace brimlark
