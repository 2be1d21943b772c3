#include "model/StoredJson.h"

namespace brimlark {

std::optional<nlohmann::ordered_json> StoredJson::readArray(Defaults &defaults, const QString &key)
{
    const std::string k = key.toStdString();
    auto value = defaults.object(k);
    if (!value) {
        return std::nullopt;
    }
    const auto *data = value->asData();
    if (!data) {
        keepUnreadable(defaults, key);
        return std::nullopt;
    }
    auto json = nlohmann::ordered_json::parse(data->begin(), data->end(), nullptr, false);
    if (json.is_discarded() || !json.is_array()) {
        keepUnreadable(defaults, key);
        return std::nullopt;
    }
    return json;
}

bool StoredJson::write(Defaults &defaults, const QString &key, const nlohmann::ordered_json &json)
{
    std::string text;
    try {
        text = json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::strict);
    } catch (const nlohmann::json::exception &) {
        return false; // a value that cannot be encoded is not written
    }
    return defaults.set(key.toStdString(), DefaultsValue::fromBytes(text));
}

void StoredJson::keepUnreadable(Defaults &defaults, const QString &key)
{
    auto value = defaults.object(key.toStdString());
    if (!value) {
        return;
    }
    // Beside every earlier one, never over it: each may be all that is left
    // of a list. The same value is kept once.
    for (int n = 1; n <= MaxUnreadableCopies; ++n) {
        const std::string aside = unreadableKey(key, n).toStdString();
        auto existing = defaults.object(aside);
        if (!existing) {
            defaults.set(aside, *value);
            return;
        }
        if (*existing == *value) {
            return;
        }
    }
}

} // namespace brimlark
