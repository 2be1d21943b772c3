#pragma once

#include <nlohmann/json.hpp>

#include <QHash>
#include <QString>
#include <QUuid>

#include <optional>
#include <string>
#include <variant>

namespace brimlark {

// One tile of the unified grid: a folder by its id, or a category card by name.
class GridItemIdentifier
{
public:
    enum class Kind { folder = 0, category = 1 };

    static GridItemIdentifier folder(const QUuid &id) { return GridItemIdentifier(Kind::folder, id, {}); }
    static GridItemIdentifier category(const QString &name)
    {
        return GridItemIdentifier(Kind::category, {}, name);
    }

    // The text form's inverse; nothing for any other text.
    static std::optional<GridItemIdentifier> fromString(const QString &text);
    // "folder:<UUID upper case>" or "category:<name>".
    QString stringRepresentation() const;

    // The keyed coded form: {"folder":{"id":...}} or {"category":{"name":...}}.
    nlohmann::ordered_json toJson() const;
    struct DecodeError
    {
        std::string description;
    };
    static std::variant<GridItemIdentifier, DecodeError> fromJson(const nlohmann::ordered_json &json);

    Kind kind() const { return m_kind; }
    bool isFolder() const { return m_kind == Kind::folder; }
    const QUuid &folderId() const { return m_folderId; }
    const QString &categoryName() const { return m_name; }

    bool operator==(const GridItemIdentifier &other) const
    {
        return m_kind == other.m_kind && m_folderId == other.m_folderId && m_name == other.m_name;
    }

private:
    GridItemIdentifier(Kind kind, QUuid id, QString name)
        : m_kind(kind)
        , m_folderId(id)
        , m_name(std::move(name))
    {
    }

    Kind m_kind;
    QUuid m_folderId;
    QString m_name;
};

inline size_t qHash(const GridItemIdentifier &item, size_t seed = 0)
{
    seed = ::qHash(static_cast<int>(item.kind()), seed);
    return item.isFolder() ? ::qHash(item.folderId(), seed) : ::qHash(item.categoryName(), seed);
}

} // namespace brimlark
