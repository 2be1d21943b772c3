#include "platform/base/DefaultsValue.h"

#include <limits>

namespace brimlark {

DefaultsValue DefaultsValue::fromStrings(const std::vector<std::string> &strings)
{
    Array array;
    array.reserve(strings.size());
    for (const auto &s : strings) {
        array.emplace_back(s);
    }
    return DefaultsValue(std::move(array));
}

DefaultsValue DefaultsValue::fromUnsigned(std::uint64_t v)
{
    if (v <= std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
        return DefaultsValue(std::int64_t(v));
    }
    DefaultsValue out;
    out.m_value = v;
    return out;
}

DefaultsValue DefaultsValue::fromBytes(const std::string &bytes)
{
    return DefaultsValue(Data(bytes.begin(), bytes.end()));
}

const DefaultsValue::Array *DefaultsValue::asArray() const
{
    auto p = std::get_if<std::shared_ptr<Array>>(&m_value);
    return p ? p->get() : nullptr;
}

const DefaultsValue::Dictionary *DefaultsValue::asDictionary() const
{
    auto p = std::get_if<std::shared_ptr<Dictionary>>(&m_value);
    return p ? p->get() : nullptr;
}

std::optional<std::vector<std::string>> DefaultsValue::asStringArray() const
{
    const Array *array = asArray();
    if (!array) {
        return std::nullopt;
    }
    std::vector<std::string> out;
    out.reserve(array->size());
    for (const auto &element : *array) {
        const std::string *s = element.asString();
        if (!s) {
            return std::nullopt;
        }
        out.push_back(*s);
    }
    return out;
}

bool DefaultsValue::operator==(const DefaultsValue &other) const
{
    if (type() != other.type()) {
        return false;
    }
    switch (type()) {
    case Type::Array:
        return *asArray() == *other.asArray();
    case Type::Dictionary:
        return *asDictionary() == *other.asDictionary();
    default:
        return m_value == other.m_value;
    }
}

} // namespace brimlark
