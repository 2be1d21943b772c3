#include "analytics/TallyType.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace brimlark {

// ---- TallyDictionary -------------------------------------------------------------------------

TallyDictionary::TallyDictionary() = default;

TallyDictionary::TallyDictionary(std::initializer_list<Entry> entries)
{
    for (const auto &entry : entries) {
        set(entry.first, entry.second);
    }
}

std::size_t TallyDictionary::size() const
{
    return m_entries.size();
}

bool TallyDictionary::empty() const
{
    return m_entries.empty();
}

TallyDictionary::const_iterator TallyDictionary::begin() const
{
    return m_entries.begin();
}

TallyDictionary::const_iterator TallyDictionary::end() const
{
    return m_entries.end();
}

TallyDictionary::iterator TallyDictionary::begin()
{
    return m_entries.begin();
}

TallyDictionary::iterator TallyDictionary::end()
{
    return m_entries.end();
}

bool TallyDictionary::contains(std::string_view key) const
{
    return find(key) != nullptr;
}

const TallyType *TallyDictionary::find(std::string_view key) const
{
    for (const auto &entry : m_entries) {
        if (entry.first == key) {
            return &entry.second;
        }
    }
    return nullptr;
}

TallyType *TallyDictionary::find(std::string_view key)
{
    for (auto &entry : m_entries) {
        if (entry.first == key) {
            return &entry.second;
        }
    }
    return nullptr;
}

TallyType &TallyDictionary::set(std::string key, TallyType value)
{
    if (TallyType *existing = find(key)) {
        *existing = std::move(value);
        return *existing;
    }
    m_entries.emplace_back(std::move(key), std::move(value));
    return m_entries.back().second;
}

TallyType &TallyDictionary::operator[](std::string_view key)
{
    if (TallyType *existing = find(key)) {
        return *existing;
    }
    m_entries.emplace_back(std::string(key), TallyType());
    return m_entries.back().second;
}

bool TallyDictionary::remove(std::string_view key)
{
    const auto it = std::find_if(
        m_entries.begin(), m_entries.end(), [key](const Entry &entry) { return entry.first == key; });
    if (it == m_entries.end()) {
        return false;
    }
    m_entries.erase(it);
    return true;
}

std::vector<std::string> TallyDictionary::keys() const
{
    std::vector<std::string> result;
    result.reserve(m_entries.size());
    for (const auto &entry : m_entries) {
        result.push_back(entry.first);
    }
    return result;
}

TallyDictionary &TallyDictionary::operator+=(const TallyDictionary &right)
{
    if (&right == this) {
        return *this;
    }
    for (const auto &entry : right) {
        set(entry.first, entry.second);
    }
    return *this;
}

// ---- numbers ---------------------------------------------------------------------------------

namespace {

// 2^63 and 2^64 are exact doubles; every double below them in magnitude that is whole converts
// to the integer type without overflow.
constexpr double twoTo63 = 9223372036854775808.0;
constexpr double twoTo64 = 18446744073709551616.0;

std::optional<std::int64_t> doubleToInt(double d)
{
    if (!std::isfinite(d) || d != std::trunc(d) || d < -twoTo63 || d >= twoTo63) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(d);
}

std::optional<std::uint64_t> doubleToUInt(double d)
{
    if (!std::isfinite(d) || d != std::trunc(d) || d < 0 || d >= twoTo64) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(d);
}

// The exact comparison of two numbers of any kinds; NaN equals nothing.
struct NumberEquals
{
    bool operator()(std::int64_t a, std::int64_t b) const { return a == b; }
    bool operator()(std::uint64_t a, std::uint64_t b) const { return a == b; }
    bool operator()(std::int64_t a, std::uint64_t b) const
    {
        return a >= 0 && static_cast<std::uint64_t>(a) == b;
    }
    bool operator()(std::uint64_t a, std::int64_t b) const { return (*this)(b, a); }
    bool operator()(double a, double b) const { return a == b; }
    bool operator()(std::int64_t a, double b) const
    {
        const auto whole = doubleToInt(b);
        return whole && *whole == a;
    }
    bool operator()(double a, std::int64_t b) const { return (*this)(b, a); }
    bool operator()(std::uint64_t a, double b) const
    {
        const auto whole = doubleToUInt(b);
        return whole && *whole == a;
    }
    bool operator()(double a, std::uint64_t b) const { return (*this)(b, a); }
};

using Number = std::variant<std::int64_t, std::uint64_t, double>;

std::optional<Number> numberOf(const TallyType &value)
{
    if (const auto *i = value.get<std::int64_t>()) {
        return Number(*i);
    }
    if (const auto *u = value.get<std::uint64_t>()) {
        return Number(*u);
    }
    if (const auto *d = value.get<double>()) {
        return Number(*d);
    }
    if (const auto *f = value.get<float>()) {
        return Number(static_cast<double>(*f));
    }
    return std::nullopt;
}

std::string numberText(double value)
{
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

} // namespace

bool TallyType::isNumber() const
{
    switch (kind()) {
    case Kind::Int:
    case Kind::UInt:
    case Kind::Double:
    case Kind::Float:
        return true;
    default:
        return false;
    }
}

std::optional<std::int64_t> TallyType::toInt() const
{
    const auto number = numberOf(*this);
    if (!number) {
        return std::nullopt;
    }
    if (const auto *i = std::get_if<std::int64_t>(&*number)) {
        return *i;
    }
    if (const auto *u = std::get_if<std::uint64_t>(&*number)) {
        if (*u > static_cast<std::uint64_t>(INT64_MAX)) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(*u);
    }
    return doubleToInt(std::get<double>(*number));
}

std::optional<std::uint64_t> TallyType::toUInt() const
{
    const auto number = numberOf(*this);
    if (!number) {
        return std::nullopt;
    }
    if (const auto *u = std::get_if<std::uint64_t>(&*number)) {
        return *u;
    }
    if (const auto *i = std::get_if<std::int64_t>(&*number)) {
        if (*i < 0) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(*i);
    }
    return doubleToUInt(std::get<double>(*number));
}

std::optional<double> TallyType::toDouble() const
{
    const auto number = numberOf(*this);
    if (!number) {
        return std::nullopt;
    }
    if (const auto *d = std::get_if<double>(&*number)) {
        return *d;
    }
    // Only integers that a double holds exactly.
    if (const auto *i = std::get_if<std::int64_t>(&*number)) {
        const double d = static_cast<double>(*i);
        if (doubleToInt(d) == *i) {
            return d;
        }
        return std::nullopt;
    }
    const auto u = std::get<std::uint64_t>(*number);
    const double d = static_cast<double>(u);
    if (doubleToUInt(d) == u) {
        return d;
    }
    return std::nullopt;
}

// ---- validity and equality -------------------------------------------------------------------

bool TallyType::isValidNestedTypeAndValue() const
{
    switch (kind()) {
    case Kind::Double:
        return std::isfinite(std::get<double>(m_value));
    case Kind::Float:
        return std::isfinite(std::get<float>(m_value));
    case Kind::Array: {
        const auto &array = std::get<TallyArray>(m_value);
        return std::none_of(array.begin(), array.end(),
            [](const TallyType &element) { return element.kind() == Kind::Opaque; });
    }
    case Kind::Dictionary: {
        const auto &dictionary = std::get<TallyDictionary>(m_value);
        return std::none_of(dictionary.begin(), dictionary.end(),
            [](const auto &entry) { return entry.second.kind() == Kind::Opaque; });
    }
    case Kind::Opaque:
        // Not a property value at all.
        return false;
    default:
        return true;
    }
}

bool TallyType::nestsDeeperThan(int levels) const
{
    switch (kind()) {
    case Kind::Array: {
        const auto &array = std::get<TallyArray>(m_value);
        return levels < 1 || std::any_of(array.begin(), array.end(), [levels](const TallyType &element) {
            return element.nestsDeeperThan(levels - 1);
        });
    }
    case Kind::Dictionary: {
        const auto &dictionary = std::get<TallyDictionary>(m_value);
        return levels < 1 || std::any_of(dictionary.begin(), dictionary.end(), [levels](const auto &entry) {
            return entry.second.nestsDeeperThan(levels - 1);
        });
    }
    default:
        return false;
    }
}

bool TallyType::equals(const TallyType &rhs) const
{
    switch (kind()) {
    case Kind::Absent:
    case Kind::Opaque:
        return false;
    case Kind::Null:
        return rhs.isNull();
    case Kind::Bool:
        return rhs.kind() == Kind::Bool && std::get<bool>(m_value) == std::get<bool>(rhs.m_value);
    case Kind::Int:
    case Kind::UInt:
    case Kind::Double:
    case Kind::Float: {
        const auto left = numberOf(*this);
        const auto right = numberOf(rhs);
        return left && right && std::visit(NumberEquals {}, *left, *right);
    }
    case Kind::String:
        return rhs.kind() == Kind::String
            && std::get<std::string>(m_value) == std::get<std::string>(rhs.m_value);
    case Kind::Date:
        return rhs.kind() == Kind::Date
            && std::get<TallyDate>(m_value).secondsSince1970
            == std::get<TallyDate>(rhs.m_value).secondsSince1970;
    case Kind::Url:
        return rhs.kind() == Kind::Url
            && std::get<TallyUrl>(m_value).absoluteString == std::get<TallyUrl>(rhs.m_value).absoluteString;
    case Kind::Array: {
        if (rhs.kind() != Kind::Array || !rhs.isValidNestedTypeAndValue()) {
            return false; // rhs must be an array of property values
        }
        const auto &left = std::get<TallyArray>(m_value);
        const auto &right = std::get<TallyArray>(rhs.m_value);
        if (left.size() != right.size() || !isValidNestedTypeAndValue()) {
            return false;
        }
        for (std::size_t i = 0; i < left.size(); ++i) {
            if (!left[i].equals(right[i])) {
                return false;
            }
        }
        return true;
    }
    case Kind::Dictionary: {
        if (rhs.kind() != Kind::Dictionary || !rhs.isValidNestedTypeAndValue()) {
            return false;
        }
        const auto &left = std::get<TallyDictionary>(m_value);
        const auto &right = std::get<TallyDictionary>(rhs.m_value);
        if (left.size() != right.size() || !isValidNestedTypeAndValue()) {
            return false;
        }
        for (const auto &[key, value] : left) {
            const TallyType *other = right.find(key);
            if (!other || !value.equals(*other)) {
                return false;
            }
        }
        return true;
    }
    }
    return false;
}

bool TallyType::sameAs(const TallyType &other) const
{
    if (kind() != other.kind()) {
        return false;
    }
    switch (kind()) {
    case Kind::Absent:
    case Kind::Null:
        return true;
    case Kind::Bool:
        return std::get<bool>(m_value) == std::get<bool>(other.m_value);
    case Kind::Int:
        return std::get<std::int64_t>(m_value) == std::get<std::int64_t>(other.m_value);
    case Kind::UInt:
        return std::get<std::uint64_t>(m_value) == std::get<std::uint64_t>(other.m_value);
    case Kind::Double: {
        const double a = std::get<double>(m_value);
        const double b = std::get<double>(other.m_value);
        return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
    }
    case Kind::Float: {
        const float a = std::get<float>(m_value);
        const float b = std::get<float>(other.m_value);
        return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
    }
    case Kind::String:
        return std::get<std::string>(m_value) == std::get<std::string>(other.m_value);
    case Kind::Date: {
        const double a = std::get<TallyDate>(m_value).secondsSince1970;
        const double b = std::get<TallyDate>(other.m_value).secondsSince1970;
        return a == b || (std::isnan(a) && std::isnan(b));
    }
    case Kind::Url:
        return std::get<TallyUrl>(m_value).absoluteString == std::get<TallyUrl>(other.m_value).absoluteString;
    case Kind::Array: {
        const auto &a = std::get<TallyArray>(m_value);
        const auto &b = std::get<TallyArray>(other.m_value);
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
            [](const TallyType &x, const TallyType &y) { return x.sameAs(y); });
    }
    case Kind::Dictionary: {
        const auto &a = std::get<TallyDictionary>(m_value);
        const auto &b = std::get<TallyDictionary>(other.m_value);
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
            [](const auto &x, const auto &y) { return x.first == y.first && x.second.sameAs(y.second); });
    }
    case Kind::Opaque:
        return std::get<TallyOpaque>(m_value).description == std::get<TallyOpaque>(other.m_value).description;
    }
    return false;
}

std::string TallyType::description() const
{
    switch (kind()) {
    case Kind::Absent:
        return "nil";
    case Kind::Null:
        return "null";
    case Kind::Bool:
        return std::get<bool>(m_value) ? "true" : "false";
    case Kind::Int:
        return std::to_string(std::get<std::int64_t>(m_value));
    case Kind::UInt:
        return std::to_string(std::get<std::uint64_t>(m_value));
    case Kind::Double:
        return numberText(std::get<double>(m_value));
    case Kind::Float: {
        const float f = std::get<float>(m_value);
        if (!std::isfinite(f)) {
            return numberText(f);
        }
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, f);
        return std::string(buffer, result.ptr);
    }
    case Kind::String:
        return quoted(std::get<std::string>(m_value));
    case Kind::Date:
        return "date(" + numberText(std::get<TallyDate>(m_value).secondsSince1970) + ")";
    case Kind::Url:
        return "url(" + std::get<TallyUrl>(m_value).absoluteString + ")";
    case Kind::Array: {
        std::string out = "[";
        bool first = true;
        for (const auto &element : std::get<TallyArray>(m_value)) {
            out += first ? "" : ", ";
            out += element.description();
            first = false;
        }
        return out + "]";
    }
    case Kind::Dictionary: {
        std::string out = "{";
        bool first = true;
        for (const auto &[key, value] : std::get<TallyDictionary>(m_value)) {
            out += first ? "" : ", ";
            out += quoted(key) + ": " + value.description();
            first = false;
        }
        return out + "}";
    }
    case Kind::Opaque:
        return std::get<TallyOpaque>(m_value).description;
    }
    return {};
}

} // namespace brimlark
