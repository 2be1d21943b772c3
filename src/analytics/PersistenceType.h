#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace brimlark {

// The three record queues of an instance, in their fixed order.
enum class PersistenceType {
    Events,
    People,
    Groups,
};

inline constexpr std::array<PersistenceType, 3> allPersistenceTypes
    = { PersistenceType::Events, PersistenceType::People, PersistenceType::Groups };

// "events", "people", "groups".
constexpr std::string_view rawValue(PersistenceType type)
{
    switch (type) {
    case PersistenceType::Events:
        return "events";
    case PersistenceType::People:
        return "people";
    case PersistenceType::Groups:
        return "groups";
    }
    return "events";
}

// Exact, case-sensitive; any other text yields nothing.
constexpr std::optional<PersistenceType> persistenceTypeFromRawValue(std::string_view raw)
{
    for (const PersistenceType type : allPersistenceTypes) {
        if (rawValue(type) == raw) {
            return type;
        }
    }
    return std::nullopt;
}

} // namespace brimlark
