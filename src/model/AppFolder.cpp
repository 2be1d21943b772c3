#include "model/AppFolder.h"

#include "platform/core/BundleUrl.h"

#include "platform/core/UuidText.h"

#include <cmath>
#include <limits>

namespace brimlark {

namespace {
constexpr qint64 s_referenceDateUnixMs = 978307200000LL;

std::optional<QUuid> uuidValue(const nlohmann::ordered_json &v)
{
    if (!v.is_string()) {
        return std::nullopt;
    }
    return UuidText::parse(QString::fromStdString(v.get<std::string>()));
}

std::optional<QString> stringValue(const nlohmann::ordered_json &v)
{
    if (!v.is_string()) {
        return std::nullopt;
    }
    return QString::fromStdString(v.get<std::string>());
}

// Integers only; a float is accepted when it holds a whole number in range.
std::optional<qint64> integerValue(const nlohmann::ordered_json &v)
{
    if (v.is_number_integer()) {
        if (v.is_number_unsigned()
            && v.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<qint64>::max())) {
            return std::nullopt;
        }
        return v.get<qint64>();
    }
    if (v.is_number_float()) {
        const double d = v.get<double>();
        if (std::isfinite(d) && std::floor(d) == d && d >= -9.2e18 && d <= 9.2e18) {
            return qint64(d);
        }
    }
    return std::nullopt;
}
} // namespace

QString AppFolder::idText() const
{
    return UuidText::format(id);
}

double AppFolder::secondsSinceReferenceDate(const QDateTime &date)
{
    return double(date.toMSecsSinceEpoch() - s_referenceDateUnixMs) / 1000.0;
}

QDateTime AppFolder::dateFromReferenceSeconds(double seconds)
{
    const double ms = seconds * 1000.0;
    if (!std::isfinite(ms) || std::fabs(ms) > 8.0e15) {
        return QDateTime::fromMSecsSinceEpoch(s_referenceDateUnixMs, Qt::UTC);
    }
    return QDateTime::fromMSecsSinceEpoch(s_referenceDateUnixMs + std::llround(ms), Qt::UTC);
}

nlohmann::ordered_json AppFolder::toJson() const
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["id"] = UuidText::format(id).toStdString();
    out["name"] = name.toStdString();
    auto urls = nlohmann::ordered_json::array();
    for (const auto &u : appURLs) {
        urls.push_back(u.toStdString());
    }
    out["appURLs"] = std::move(urls);
    out["isPinned"] = isPinned;
    out["icon"] = icon.toStdString();
    out["color"] = color.toStdString();
    if (parentFolderID) {
        out["parentFolderID"] = UuidText::format(*parentFolderID).toStdString();
    }
    out["createdAt"] = secondsSinceReferenceDate(createdAt);
    out["sortOrder"] = sortOrder;
    return out;
}

std::optional<AppFolder> AppFolder::fromJson(const nlohmann::ordered_json &json)
{
    if (!json.is_object()) {
        return std::nullopt;
    }
    auto field = [&json](const char *key) -> const nlohmann::ordered_json * {
        auto it = json.find(key);
        return it == json.end() ? nullptr : &*it;
    };
    const auto text = [&field](const char *key) {
        const auto *v = field(key);
        return v ? stringValue(*v) : std::nullopt;
    };
    const auto *v = field("id");
    const auto id = v ? uuidValue(*v) : std::nullopt;
    const auto name = text("name");
    const auto icon = text("icon");
    const auto color = text("color");
    if (!id || !name || !icon || !color) {
        return std::nullopt;
    }
    AppFolder f;
    f.id = *id;
    f.name = *name;
    f.icon = *icon;
    f.color = *color;
    v = field("appURLs");
    if (!v || !v->is_array()) {
        return std::nullopt;
    }
    for (const auto &u : *v) {
        auto s = stringValue(u);
        if (!s) {
            return std::nullopt;
        }
        f.appURLs << *s;
    }
    v = field("isPinned");
    if (!v || !v->is_boolean()) {
        return std::nullopt;
    }
    f.isPinned = v->get<bool>();
    v = field("parentFolderID");
    if (v && !v->is_null()) {
        auto parent = uuidValue(*v);
        if (!parent) {
            return std::nullopt;
        }
        f.parentFolderID = *parent;
    }
    v = field("createdAt");
    if (!v || !v->is_number()) {
        return std::nullopt;
    }
    f.createdAt = dateFromReferenceSeconds(v->get<double>());
    v = field("sortOrder");
    if (v && !v->is_null()) {
        auto order = integerValue(*v);
        if (!order) {
            return std::nullopt;
        }
        f.sortOrder = *order;
    }
    return f;
}

qsizetype AppFolder::positionOf(const QString &bundlePath) const
{
    for (qsizetype i = 0; i < appURLs.size(); ++i) {
        const auto stored = BundleUrl::localPathOfText(appURLs[i]);
        if (stored && *stored == bundlePath) {
            return i;
        }
    }
    return -1;
}

std::optional<AppFolder::Move> AppFolder::moveOnto(const QString &sourcePath, const QString &targetPath) const
{
    const qsizetype from = positionOf(sourcePath);
    const qsizetype to = positionOf(targetPath);
    if (from < 0 || to < 0) {
        return std::nullopt;
    }
    // The destination counts places before the source leaves, so the source
    // takes the target's place in both directions.
    return Move { int(from), int(to), int(from < to ? to + 1 : to) };
}

} // namespace brimlark
