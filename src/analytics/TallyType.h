#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace brimlark {

class TallyType;

// A point in time, as seconds since 1970 (UTC).
struct TallyDate
{
    double secondsSince1970 = 0;
};

// A URL, kept as its absolute text.
struct TallyUrl
{
    std::string absoluteString;
};

// A value of no property type (a set, a dictionary with keys that are not text, any custom
// object): only its description is kept. Records may hold it; the JSON encoding writes the
// description as text.
struct TallyOpaque
{
    std::string description;
};

using TallyArray = std::vector<TallyType>;

// A dictionary from text to values that keeps its keys in the order they were first written;
// writing a key again replaces its value in place.
class TallyDictionary
{
public:
    using Entry = std::pair<std::string, TallyType>;
    using const_iterator = std::vector<Entry>::const_iterator;
    using iterator = std::vector<Entry>::iterator;

    TallyDictionary();
    TallyDictionary(std::initializer_list<Entry> entries);

    std::size_t size() const;
    bool empty() const;
    const_iterator begin() const;
    const_iterator end() const;
    iterator begin();
    iterator end();

    bool contains(std::string_view key) const;
    const TallyType *find(std::string_view key) const;
    TallyType *find(std::string_view key);
    // Replaces the value of an existing key in place, or appends the key.
    TallyType &set(std::string key, TallyType value);
    // The value under the key, appending an absent value when the key is new.
    TallyType &operator[](std::string_view key);
    bool remove(std::string_view key);
    std::vector<std::string> keys() const;

    // Writes every entry of right into this dictionary; entries of right win.
    TallyDictionary &operator+=(const TallyDictionary &right);

private:
    std::vector<Entry> m_entries;
};

// Every value that a property or a record may hold: absent, the null marker, Booleans, signed and
// unsigned 64-bit integers, doubles, floats, text, dates, URLs, arrays, dictionaries, and an
// opaque description for anything else.
class TallyType
{
public:
    enum class Kind {
        Absent,
        Null,
        Bool,
        Int,
        UInt,
        Double,
        Float,
        String,
        Date,
        Url,
        Array,
        Dictionary,
        Opaque,
    };

    struct Absent
    {
    };
    struct Null
    {
    };

    TallyType() = default; // absent
    TallyType(Absent) { }
    TallyType(Null value)
        : m_value(value)
    {
    }
    TallyType(bool value)
        : m_value(value)
    {
    }
    template <std::signed_integral Integer>
    requires(!std::is_same_v<Integer, char> && !std::is_same_v<Integer, bool>) TallyType(Integer value)
        : m_value(static_cast<std::int64_t>(value))
    {
    }
    template <std::unsigned_integral Integer>
    requires(!std::is_same_v<Integer, char> && !std::is_same_v<Integer, bool>) TallyType(Integer value)
        : m_value(static_cast<std::uint64_t>(value))
    {
    }
    TallyType(char) = delete; // a character is not a number; pass text
    TallyType(double value)
        : m_value(value)
    {
    }
    TallyType(float value)
        : m_value(value)
    {
    }
    TallyType(const char *text)
        : m_value(std::string(text ? text : ""))
    {
    }
    TallyType(std::string text)
        : m_value(std::move(text))
    {
    }
    TallyType(std::string_view text)
        : m_value(std::string(text))
    {
    }
    TallyType(TallyDate value)
        : m_value(value)
    {
    }
    TallyType(TallyUrl value)
        : m_value(std::move(value))
    {
    }
    TallyType(TallyArray value)
        : m_value(std::move(value))
    {
    }
    TallyType(TallyDictionary value)
        : m_value(std::move(value))
    {
    }
    TallyType(TallyOpaque value)
        : m_value(std::move(value))
    {
    }
    template <typename T>
    TallyType(const std::optional<T> &value)
        : TallyType(value ? TallyType(*value) : TallyType())
    {
    }

    static TallyType null() { return TallyType(Null {}); }

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    bool isAbsent() const { return kind() == Kind::Absent; }
    bool isNull() const { return kind() == Kind::Null; }
    bool isNumber() const;

    // The payload when the value is of that exact kind, else null.
    template <typename T> const T *get() const { return std::get_if<T>(&m_value); }
    template <typename T> T *get() { return std::get_if<T>(&m_value); }

    // A number of any kind viewed as another when it converts exactly; Booleans are not numbers.
    std::optional<std::int64_t> toInt() const;
    std::optional<std::uint64_t> toUInt() const;
    std::optional<double> toDouble() const;

    // Absent, null, text, integers, Booleans, dates and URLs always; doubles and floats when
    // finite; arrays and dictionaries when every element is a property value (an opaque value is
    // not), whatever the elements' own validity.
    bool isValidNestedTypeAndValue() const;

    // True when arrays and dictionaries nest more than that many levels: a scalar has none, an
    // array of scalars one. Walks no deeper than the limit.
    bool nestsDeeperThan(int levels) const;

    // Property equality, decided by the kind of this value. Numbers of different kinds are equal
    // when they hold exactly the same value; NaN equals nothing; absent equals nothing, not even
    // another absent value; arrays and dictionaries are equal element by element when this one is
    // valid. Booleans equal only Booleans.
    bool equals(const TallyType &rhs) const;

    // Same kind and same contents, dictionary order included (NaN matches NaN); for tests and caches.
    bool sameAs(const TallyType &other) const;

    // A short readable text of the value, for log lines and test output.
    std::string description() const;

private:
    std::variant<Absent, Null, bool, std::int64_t, std::uint64_t, double, float, std::string, TallyDate,
        TallyUrl, TallyArray, TallyDictionary, TallyOpaque>
        m_value;
};

} // namespace brimlark
