#pragma once

#include <string_view>

namespace brimlark {

// The three kinds of record queue, in the same order as the store's record types.
enum class FlushType {
    Events,
    People,
    Groups,
};

// The endpoint path of each kind: "/track/", "/engage/", "/groups/".
constexpr std::string_view endpointPath(FlushType type)
{
    switch (type) {
    case FlushType::Events:
        return "/track/";
    case FlushType::People:
        return "/engage/";
    case FlushType::Groups:
        return "/groups/";
    }
    return "/track/";
}

} // namespace brimlark
