#pragma once

#include <optional>
#include <string>

namespace brimlark {

// The stored identity of a client instance.
struct TallyIdentity
{
    std::string distinctID;
    std::optional<std::string> peopleDistinctID;
    std::optional<std::string> anonymousId;
    std::optional<std::string> userId;
    std::optional<std::string> alias;
    std::optional<bool> hadPersistedDistinctId;

    bool operator==(const TallyIdentity &) const = default;
};

} // namespace brimlark
