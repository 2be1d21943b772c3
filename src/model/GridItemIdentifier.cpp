#include "model/GridItemIdentifier.h"

#include "platform/core/UuidText.h"

namespace brimlark {

namespace {
const QString s_folderPrefix = QStringLiteral("folder:");
const QString s_categoryPrefix = QStringLiteral("category:");
} // namespace

std::optional<GridItemIdentifier> GridItemIdentifier::fromString(const QString &text)
{
    if (text.startsWith(s_folderPrefix)) {
        // A text with the folder prefix is a folder or nothing, never a category.
        auto id = UuidText::parse(QStringView(text).mid(s_folderPrefix.size()));
        if (!id) {
            return std::nullopt;
        }
        return folder(*id);
    }
    if (text.startsWith(s_categoryPrefix)) {
        return category(text.mid(s_categoryPrefix.size()));
    }
    return std::nullopt;
}

QString GridItemIdentifier::stringRepresentation() const
{
    if (m_kind == Kind::folder) {
        return s_folderPrefix + UuidText::format(m_folderId);
    }
    return s_categoryPrefix + m_name;
}

nlohmann::ordered_json GridItemIdentifier::toJson() const
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    if (m_kind == Kind::folder) {
        out["folder"] = { { "id", UuidText::format(m_folderId).toStdString() } };
    } else {
        out["category"] = { { "name", m_name.toStdString() } };
    }
    return out;
}

std::variant<GridItemIdentifier, GridItemIdentifier::DecodeError> GridItemIdentifier::fromJson(
    const nlohmann::ordered_json &json)
{
    if (!json.is_object()) {
        return DecodeError { "Expected to decode a keyed container but found another value." };
    }
    const bool hasFolder = json.contains("folder");
    const bool hasCategory = json.contains("category");
    if (hasFolder == hasCategory) {
        return DecodeError { "Invalid number of keys found, expected one." };
    }
    const auto &nested = hasFolder ? json.at("folder") : json.at("category");
    if (!nested.is_object()) {
        return DecodeError { "Expected to decode a keyed container but found another value." };
    }
    if (hasFolder) {
        auto it = nested.find("id");
        if (it == nested.end()) {
            return DecodeError { "No value associated with key \"id\"." };
        }
        if (!it->is_string()) {
            return DecodeError { "Expected to decode a UUID string." };
        }
        auto id = UuidText::parse(QString::fromStdString(it->get<std::string>()));
        if (!id) {
            return DecodeError { "Attempted to decode UUID from invalid UUID string." };
        }
        return folder(*id);
    }
    auto it = nested.find("name");
    if (it == nested.end()) {
        return DecodeError { "No value associated with key \"name\"." };
    }
    if (!it->is_string()) {
        return DecodeError { "Expected to decode a String." };
    }
    return category(QString::fromStdString(it->get<std::string>()));
}

} // namespace brimlark
