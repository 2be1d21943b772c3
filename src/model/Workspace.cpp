#include "model/Workspace.h"

#include "platform/core/UuidText.h"

namespace brimlark {

QString Workspace::idText() const
{
    return UuidText::format(id);
}

nlohmann::ordered_json Workspace::toJson() const
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["id"] = UuidText::format(id).toStdString();
    out["name"] = name.toStdString();
    out["icon"] = icon.toStdString();
    out["color"] = color.toStdString();
    return out;
}

std::optional<Workspace> Workspace::fromJson(const nlohmann::ordered_json &json)
{
    if (!json.is_object()) {
        return std::nullopt;
    }
    for (const char *key : { "id", "name", "icon", "color" }) {
        auto it = json.find(key);
        if (it == json.end() || !it->is_string()) {
            return std::nullopt;
        }
    }
    auto id = UuidText::parse(QString::fromStdString(json.at("id").get<std::string>()));
    if (!id) {
        return std::nullopt;
    }
    Workspace w;
    w.id = *id;
    w.name = QString::fromStdString(json.at("name").get<std::string>());
    w.icon = QString::fromStdString(json.at("icon").get<std::string>());
    w.color = QString::fromStdString(json.at("color").get<std::string>());
    return w;
}

} // namespace brimlark
