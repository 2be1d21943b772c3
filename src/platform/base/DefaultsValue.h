#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace brimlark {

// One typed value of the defaults database. Dates are seconds since
// 1 January 2001 00:00:00 UTC, as the stored format keeps them.
class DefaultsValue
{
public:
    // Unsigned holds only what does not fit Integer: an unsigned 64-bit value
    // above the largest signed one, as other writers of the format store it.
    enum class Type { String, Data, Integer, Real, Bool, Date, Array, Dictionary, Unsigned };

    using Data = std::vector<std::uint8_t>;
    using Array = std::vector<DefaultsValue>;
    using Dictionary = std::map<std::string, DefaultsValue>;
    struct Date
    {
        double secondsSinceReferenceDate = 0;
        bool operator==(const Date &) const = default;
    };

    DefaultsValue()
        : m_value(std::string())
    {
    }
    DefaultsValue(std::string v)
        : m_value(std::move(v))
    {
    }
    DefaultsValue(const char *v)
        : m_value(std::string(v))
    {
    }
    DefaultsValue(Data v)
        : m_value(std::move(v))
    {
    }
    DefaultsValue(std::int64_t v)
        : m_value(v)
    {
    }
    DefaultsValue(int v)
        : m_value(std::int64_t(v))
    {
    }
    DefaultsValue(double v)
        : m_value(v)
    {
    }
    DefaultsValue(bool v)
        : m_value(v)
    {
    }
    DefaultsValue(Date v)
        : m_value(v)
    {
    }
    DefaultsValue(Array v)
        : m_value(std::make_shared<Array>(std::move(v)))
    {
    }
    DefaultsValue(Dictionary v)
        : m_value(std::make_shared<Dictionary>(std::move(v)))
    {
    }

    static DefaultsValue fromStrings(const std::vector<std::string> &strings);
    // An Integer when the value fits one, else an Unsigned.
    static DefaultsValue fromUnsigned(std::uint64_t v);
    static DefaultsValue fromBytes(const std::string &bytes);

    Type type() const { return static_cast<Type>(m_value.index()); }

    const std::string *asString() const { return std::get_if<std::string>(&m_value); }
    const Data *asData() const { return std::get_if<Data>(&m_value); }
    const std::int64_t *asInteger() const { return std::get_if<std::int64_t>(&m_value); }
    const double *asReal() const { return std::get_if<double>(&m_value); }
    const bool *asBool() const { return std::get_if<bool>(&m_value); }
    const Date *asDate() const { return std::get_if<Date>(&m_value); }
    const std::uint64_t *asUnsigned() const { return std::get_if<std::uint64_t>(&m_value); }
    const Array *asArray() const;
    const Dictionary *asDictionary() const;

    // A list whose every element is a string; anything else gives nothing.
    std::optional<std::vector<std::string>> asStringArray() const;

    bool operator==(const DefaultsValue &other) const;

private:
    std::variant<std::string, Data, std::int64_t, double, bool, Date, std::shared_ptr<Array>,
        std::shared_ptr<Dictionary>, std::uint64_t>
        m_value;
};

} // namespace brimlark
