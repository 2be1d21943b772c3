#include "analytics/JSONHandler.h"

#include "analytics/TallyLogger.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <exception>

namespace brimlark {

namespace {

using Json = nlohmann::ordered_json;

std::string nonFiniteText(double value)
{
    if (std::isnan(value)) {
        return "nan";
    }
    return value < 0 ? "-inf" : "inf";
}

// A float becomes the double with the same shortest decimal text, so 0.1f is written as 0.1 and
// still reads back as 0.1f.
double floatAsDouble(float value)
{
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    double result = static_cast<double>(value);
    std::from_chars(buffer, written.ptr, result);
    return result;
}

Json makeObjectSerializable(const TallyType &object)
{
    using Kind = TallyType::Kind;
    switch (object.kind()) {
    case Kind::Bool:
        return Json(*object.get<bool>());
    case Kind::Int:
        return Json(*object.get<std::int64_t>());
    case Kind::UInt:
        return Json(*object.get<std::uint64_t>());
    case Kind::Double: {
        const double value = *object.get<double>();
        return std::isfinite(value) ? Json(value) : Json(nonFiniteText(value));
    }
    case Kind::Float: {
        const float value = *object.get<float>();
        return std::isfinite(value) ? Json(floatAsDouble(value)) : Json(nonFiniteText(value));
    }
    case Kind::String:
        return Json(*object.get<std::string>());
    case Kind::Array: {
        Json array = Json::array();
        for (const TallyType &element : *object.get<TallyArray>()) {
            if (!element.isAbsent()) {
                array.push_back(makeObjectSerializable(element));
            }
        }
        return array;
    }
    case Kind::Dictionary: {
        Json dictionary = Json::object();
        for (const auto &[key, value] : *object.get<TallyDictionary>()) {
            dictionary[key] = makeObjectSerializable(value);
        }
        return dictionary;
    }
    case Kind::Date:
        return Json(JSONHandler::dateText(*object.get<TallyDate>()));
    case Kind::Url:
        return Json(object.get<TallyUrl>()->absoluteString);
    case Kind::Absent:
    case Kind::Null:
        // The null marker is JSON null too: a stored null read back must go out as null, not as
        // the marker's description text.
        return Json(nullptr);
    case Kind::Opaque:
        TallyLogger::info("enforcing string on object", "makeObjectSerializable(_:)");
        return Json(object.get<TallyOpaque>()->description);
    }
    return Json(nullptr);
}

bool isContainer(const Json &value)
{
    return value.is_array() || value.is_object();
}

void writeText(std::string &out, const std::string &text)
{
    // The library's string escaping, replacing ill-formed UTF-8 with U+FFFD instead of throwing.
    out += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

template <typename Number> void writeInteger(std::string &out, Number value)
{
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, written.ptr);
}

// Numbers as the platform's writer gives them: a whole value in integer form ("time" is a whole
// number of milliseconds and a receiver may read it as an integer), any other in plain decimal,
// shortest round-trip. An exponent is used only far outside what a timestamp, a counter or a
// duration can be (below 1e-7 or from 1e21 on), where plain digits would run to hundreds.
void writeDouble(std::string &out, double value)
{
    constexpr double s_plainUpper = 1e21;
    constexpr double s_plainLower = 1e-7;
    const double magnitude = std::fabs(value);
    char buffer[400];
    std::to_chars_result written {};
    if (value == 0) {
        // "-0" would read back as the integer 0; the sign is kept in decimal form.
        out += std::signbit(value) ? "-0.0" : "0";
        return;
    }
    if (magnitude >= s_plainLower && magnitude < s_plainUpper) {
        written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    } else {
        written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    }
    out.append(buffer, written.ptr);
}

void write(std::string &out, const Json &value)
{
    switch (value.type()) {
    case Json::value_t::null:
        out += "null";
        break;
    case Json::value_t::boolean:
        out += value.get<bool>() ? "true" : "false";
        break;
    case Json::value_t::number_integer:
        writeInteger(out, value.get<std::int64_t>());
        break;
    case Json::value_t::number_unsigned:
        writeInteger(out, value.get<std::uint64_t>());
        break;
    case Json::value_t::number_float:
        writeDouble(out, value.get<double>());
        break;
    case Json::value_t::string:
        writeText(out, value.get_ref<const std::string &>());
        break;
    case Json::value_t::array: {
        out += '[';
        bool first = true;
        for (const Json &element : value) {
            if (!first) {
                out += ',';
            }
            first = false;
            write(out, element);
        }
        out += ']';
        break;
    }
    case Json::value_t::object: {
        out += '{';
        bool first = true;
        for (const auto &[key, element] : value.items()) {
            if (!first) {
                out += ',';
            }
            first = false;
            writeText(out, key);
            out += ':';
            write(out, element);
        }
        out += '}';
        break;
    }
    case Json::value_t::binary:
    case Json::value_t::discarded:
        throw std::runtime_error("value has no JSON form");
    }
}

// Builds the value straight from the parser's events, reading floating numbers from their own
// text with std::from_chars.
class ValueBuilder
{
public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    TallyType root;
    bool failed = false;

    bool null() { return place(TallyType::null()); }
    bool boolean(bool value) { return place(TallyType(value)); }
    bool number_integer(number_integer_t value) { return place(TallyType(static_cast<std::int64_t>(value))); }
    bool number_unsigned(number_unsigned_t value)
    {
        if (value <= static_cast<number_unsigned_t>(INT64_MAX)) {
            return place(TallyType(static_cast<std::int64_t>(value)));
        }
        return place(TallyType(static_cast<std::uint64_t>(value)));
    }
    bool number_float(number_float_t value, const string_t &text)
    {
        double parsed = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
        if (result.ec == std::errc() && result.ptr == text.data() + text.size()) {
            value = parsed;
        }
        return place(TallyType(static_cast<double>(value)));
    }
    bool string(string_t &value) { return place(TallyType(std::move(value))); }
    bool binary(binary_t &) { return false; }
    bool start_object(std::size_t) { return open(TallyType(TallyDictionary())); }
    bool key(string_t &key)
    {
        m_slot = &m_stack.back()->get<TallyDictionary>()->set(std::move(key), TallyType());
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(TallyType(TallyArray())); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &)
    {
        failed = true;
        return false;
    }

private:
    TallyType *placeSlot(TallyType value)
    {
        if (m_stack.empty()) {
            root = std::move(value);
            return &root;
        }
        if (auto *array = m_stack.back()->get<TallyArray>()) {
            array->push_back(std::move(value));
            return &array->back();
        }
        TallyType *slot = m_slot;
        m_slot = nullptr;
        *slot = std::move(value);
        return slot;
    }
    bool place(TallyType value)
    {
        placeSlot(std::move(value));
        return true;
    }
    bool open(TallyType container)
    {
        if (m_stack.size() >= static_cast<std::size_t>(JSONHandler::maximumDepth)) {
            failed = true;
            return false;
        }
        // Children are only added to the innermost open container, so the outer ones never move.
        m_stack.push_back(placeSlot(std::move(container)));
        return true;
    }
    bool close()
    {
        m_stack.pop_back();
        return true;
    }

    std::vector<TallyType *> m_stack;
    TallyType *m_slot = nullptr;
};

// Days since 1970-01-01 to a proleptic Gregorian date.
void civilFromDays(std::int64_t days, std::int64_t &year, unsigned &month, unsigned &day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

void appendPadded(std::string &out, std::int64_t value, int width)
{
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    for (auto length = written.ptr - buffer; length < width; ++length) {
        out += '0';
    }
    out.append(buffer, written.ptr);
}

} // namespace

std::string JSONHandler::dateText(TallyDate date)
{
    const double seconds = date.secondsSince1970;
    // About three hundred thousand years either way; beyond that (or not a number) the calendar
    // arithmetic would overflow, and the date is written like a non-finite number.
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1.0e13) {
        return std::isfinite(seconds) ? (seconds < 0 ? "-inf" : "inf") : nonFiniteText(seconds);
    }
    // Rounded to the microsecond first so that a time given as 9.123 s does not print .122
    // through binary rounding, then truncated to the millisecond as date formatters do.
    const auto micros = static_cast<std::int64_t>(std::llround(seconds * 1.0e6));
    std::int64_t millis = micros / 1000;
    if (micros % 1000 < 0) {
        --millis;
    }
    std::int64_t days = millis / 86400000;
    std::int64_t inDay = millis % 86400000;
    if (inDay < 0) {
        inDay += 86400000;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civilFromDays(days, year, month, day);
    // The year of the era: 1 BC is year 1 of its era, as "yyyy" writes it.
    const std::int64_t eraYear = year > 0 ? year : 1 - year;

    std::string out;
    out.reserve(24);
    appendPadded(out, eraYear, 4);
    out += '-';
    appendPadded(out, month, 2);
    out += '-';
    appendPadded(out, day, 2);
    out += 'T';
    appendPadded(out, inDay / 3600000, 2);
    out += ':';
    appendPadded(out, inDay / 60000 % 60, 2);
    out += ':';
    appendPadded(out, inDay / 1000 % 60, 2);
    out += '.';
    appendPadded(out, inDay % 1000, 3);
    out += 'Z';
    return out;
}

std::optional<std::vector<std::uint8_t>> JSONHandler::serializeJSONObject(const TallyType &object)
{
    Json coerced = makeObjectSerializable(object);
    if (coerced.is_array()) {
        Json kept = Json::array();
        for (Json &element : coerced) {
            if (isContainer(element)) {
                kept.push_back(std::move(element));
            }
        }
        coerced = std::move(kept);
    }
    if (!isContainer(coerced)) {
        TallyLogger::warn("object isn't valid and can't be serialzed to JSON", "serializeJSONObject(_:)");
        return std::nullopt;
    }
    std::string text;
    try {
        write(text, coerced);
    } catch (const std::exception &) {
        TallyLogger::warn("exception encoding api data", "serializeJSONObject(_:)");
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::optional<std::string> JSONHandler::encodeAPIData(const TallyType &object)
{
    const auto bytes = serializeJSONObject(object);
    if (!bytes) {
        TallyLogger::warn("couldn't serialize object", "encodeAPIData(_:)");
        return std::nullopt;
    }
    // The writer's output is well-formed UTF-8, so the bytes are the text.
    return std::string(bytes->begin(), bytes->end());
}

std::optional<TallyType> JSONHandler::deserializeData(std::span<const std::uint8_t> data)
{
    return deserializeData(std::string_view(reinterpret_cast<const char *>(data.data()), data.size()));
}

std::optional<TallyType> JSONHandler::deserializeData(std::string_view data)
{
    ValueBuilder builder;
    bool parsed = false;
    try {
        parsed = Json::sax_parse(
            data.begin(), data.end(), &builder, nlohmann::detail::input_format_t::json, true);
    } catch (const std::exception &) {
        parsed = false;
    }
    const auto kind = builder.root.kind();
    if (!parsed || builder.failed
        || (kind != TallyType::Kind::Array && kind != TallyType::Kind::Dictionary)) {
        TallyLogger::warn("exception decoding object data", "deserializeData(_:)");
        return std::nullopt;
    }
    return std::move(builder.root);
}

} // namespace brimlark
