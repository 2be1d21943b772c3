#pragma once

#include <nlohmann/json.hpp>

#include <QHash>
#include <QMetaType>
#include <QString>
#include <QUuid>

#include <optional>

namespace brimlark {

// A named, independent set of the launcher's per-user lists.
class Workspace
{
    Q_GADGET
    Q_PROPERTY(QUuid id MEMBER id)
    Q_PROPERTY(QString idText READ idText)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString icon MEMBER icon)
    Q_PROPERTY(QString color MEMBER color)

public:
    QUuid id;
    QString name;
    QString icon;
    QString color;

    QString idText() const;
    bool operator==(const Workspace &other) const = default;

    nlohmann::ordered_json toJson() const;
    static std::optional<Workspace> fromJson(const nlohmann::ordered_json &json);
};

inline size_t qHash(const Workspace &w, size_t seed = 0)
{
    return qHashMulti(seed, w.id, w.name, w.icon, w.color);
}

} // namespace brimlark

Q_DECLARE_METATYPE(brimlark::Workspace)
