#include "analytics/TallyArchiver.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace brimlark {

namespace {

using Json = nlohmann::json;

constexpr const char *s_formatKey = "tally-archive";
constexpr int s_formatVersion = 1;

Json floating(double value)
{
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value > 0 ? "inf" : "-inf";
    }
    return value;
}

std::optional<double> floatingFrom(const Json &json)
{
    if (json.is_number()) {
        return json.get<double>();
    }
    if (json.is_string()) {
        const auto &text = json.get_ref<const std::string &>();
        if (text == "nan") {
            return std::numeric_limits<double>::quiet_NaN();
        }
        if (text == "inf") {
            return std::numeric_limits<double>::infinity();
        }
        if (text == "-inf") {
            return -std::numeric_limits<double>::infinity();
        }
    }
    return std::nullopt;
}

Json encode(const TallyType &value)
{
    using Kind = TallyType::Kind;
    switch (value.kind()) {
    case Kind::Absent:
        return { { "absent", nullptr } };
    case Kind::Null:
        return { { "null", nullptr } };
    case Kind::Bool:
        return { { "bool", *value.get<bool>() } };
    case Kind::Int:
        return { { "int", *value.get<std::int64_t>() } };
    case Kind::UInt:
        return { { "uint", *value.get<std::uint64_t>() } };
    case Kind::Double:
        return { { "double", floating(*value.get<double>()) } };
    case Kind::Float:
        return { { "float", floating(static_cast<double>(*value.get<float>())) } };
    case Kind::String:
        return { { "string", *value.get<std::string>() } };
    case Kind::Date:
        return { { "date", floating(value.get<TallyDate>()->secondsSince1970) } };
    case Kind::Url:
        return { { "url", value.get<TallyUrl>()->absoluteString } };
    case Kind::Array: {
        Json elements = Json::array();
        for (const auto &element : *value.get<TallyArray>()) {
            elements.push_back(encode(element));
        }
        return { { "array", std::move(elements) } };
    }
    case Kind::Dictionary: {
        Json entries = Json::array();
        for (const auto &[key, entry] : *value.get<TallyDictionary>()) {
            entries.push_back(Json::array({ key, encode(entry) }));
        }
        return { { "dictionary", std::move(entries) } };
    }
    case Kind::Opaque:
        return { { "opaque", value.get<TallyOpaque>()->description } };
    }
    return { { "absent", nullptr } };
}

std::optional<TallyType> decode(const Json &json, int depth)
{
    if (depth > TallyArchiver::maximumDepth || !json.is_object() || json.size() != 1) {
        return std::nullopt;
    }
    const auto entry = json.begin();
    const std::string &kind = entry.key();
    const Json &payload = entry.value();
    if (kind == "absent" && payload.is_null()) {
        return TallyType();
    }
    if (kind == "null" && payload.is_null()) {
        return TallyType::null();
    }
    if (kind == "bool" && payload.is_boolean()) {
        return TallyType(payload.get<bool>());
    }
    if (kind == "int" && payload.is_number_integer()) {
        if (payload.is_number_unsigned() && payload.get<std::uint64_t>() > std::uint64_t(INT64_MAX)) {
            return std::nullopt;
        }
        return TallyType(payload.get<std::int64_t>());
    }
    if (kind == "uint" && payload.is_number_unsigned()) {
        return TallyType(payload.get<std::uint64_t>());
    }
    if (kind == "double" || kind == "float" || kind == "date") {
        const auto number = floatingFrom(payload);
        if (!number) {
            return std::nullopt;
        }
        if (kind == "double") {
            return TallyType(*number);
        }
        if (kind == "float") {
            return TallyType(static_cast<float>(*number));
        }
        return TallyType(TallyDate { *number });
    }
    if (kind == "string" && payload.is_string()) {
        return TallyType(payload.get<std::string>());
    }
    if (kind == "url" && payload.is_string()) {
        return TallyType(TallyUrl { payload.get<std::string>() });
    }
    if (kind == "opaque" && payload.is_string()) {
        return TallyType(TallyOpaque { payload.get<std::string>() });
    }
    if (kind == "array" && payload.is_array()) {
        TallyArray elements;
        elements.reserve(payload.size());
        for (const auto &element : payload) {
            auto decoded = decode(element, depth + 1);
            if (!decoded) {
                return std::nullopt;
            }
            elements.push_back(std::move(*decoded));
        }
        return TallyType(std::move(elements));
    }
    if (kind == "dictionary" && payload.is_array()) {
        TallyDictionary entries;
        for (const auto &entry : payload) {
            if (!entry.is_array() || entry.size() != 2 || !entry[0].is_string()) {
                return std::nullopt;
            }
            auto decoded = decode(entry[1], depth + 1);
            // A key written twice cannot come from archive(); such bytes are not ours.
            if (!decoded || entries.contains(entry[0].get_ref<const std::string &>())) {
                return std::nullopt;
            }
            entries.set(entry[0].get<std::string>(), std::move(*decoded));
        }
        return TallyType(std::move(entries));
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<std::uint8_t>> TallyArchiver::archive(const TallyDictionary &root)
{
    const Json document = { { s_formatKey, s_formatVersion }, { "root", encode(TallyType(root)) } };
    try {
        const std::string text = document.dump();
        return std::vector<std::uint8_t>(text.begin(), text.end());
    } catch (const Json::exception &) {
        return std::nullopt; // text that is not UTF-8
    }
}

std::optional<TallyDictionary> TallyArchiver::unarchive(std::span<const std::uint8_t> bytes)
{
    // The parser itself would accept any nesting; count the depth before building anything.
    bool tooDeep = false;
    const Json::parser_callback_t limit = [&](int level, Json::parse_event_t event, Json &) {
        if (event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) {
            // Each value sits in an object, a dictionary entry in two arrays: allow for that.
            if (level > 3 * maximumDepth + 4) {
                tooDeep = true;
                return false;
            }
        }
        return true;
    };
    const Json document = Json::parse(bytes.begin(), bytes.end(), limit, false);
    if (tooDeep || document.is_discarded() || !document.is_object() || document.size() != 2
        || !document.contains(s_formatKey) || document[s_formatKey] != s_formatVersion
        || !document.contains("root")) {
        return std::nullopt;
    }
    auto root = decode(document["root"], 0);
    if (!root || !root->get<TallyDictionary>()) {
        return std::nullopt;
    }
    return std::move(*root->get<TallyDictionary>());
}

} // namespace brimlark
