#include "model/StickyNote.h"

#include "platform/core/UuidText.h"

#include <initializer_list>

namespace brimlark {

namespace {
// All listed keys present as strings, and "id" a UUID.
std::optional<QUuid> checkRecord(const nlohmann::ordered_json &json, std::initializer_list<const char *> keys)
{
    if (!json.is_object()) {
        return std::nullopt;
    }
    for (const char *key : keys) {
        auto it = json.find(key);
        if (it == json.end() || !it->is_string()) {
            return std::nullopt;
        }
    }
    return UuidText::parse(QString::fromStdString(json.at("id").get<std::string>()));
}

QString text(const nlohmann::ordered_json &json, const char *key)
{
    return QString::fromStdString(json.at(key).get<std::string>());
}
} // namespace

QString StickyNote::idText() const
{
    return UuidText::format(id);
}

nlohmann::ordered_json StickyNote::toJson() const
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["id"] = UuidText::format(id).toStdString();
    out["text"] = text.toStdString();
    out["colorHex"] = colorHex.toStdString();
    return out;
}

std::optional<StickyNote> StickyNote::fromJson(const nlohmann::ordered_json &json)
{
    auto id = checkRecord(json, { "id", "text", "colorHex" });
    if (!id) {
        return std::nullopt;
    }
    return StickyNote { *id, brimlark::text(json, "text"), brimlark::text(json, "colorHex") };
}

QString CodeSnippet::idText() const
{
    return UuidText::format(id);
}

nlohmann::ordered_json CodeSnippet::toJson() const
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["id"] = UuidText::format(id).toStdString();
    out["title"] = title.toStdString();
    out["code"] = code.toStdString();
    out["language"] = language.toStdString();
    return out;
}

std::optional<CodeSnippet> CodeSnippet::fromJson(const nlohmann::ordered_json &json)
{
    auto id = checkRecord(json, { "id", "title", "code", "language" });
    if (!id) {
        return std::nullopt;
    }
    return CodeSnippet { *id, brimlark::text(json, "title"), brimlark::text(json, "code"),
        brimlark::text(json, "language") };
}

} // namespace brimlark
