#pragma once

#include <plist/plist.h>

#include <memory>

namespace brimlark {

// Owns a libplist node and frees it with the library's own call.
struct PlistFree
{
    void operator()(plist_t p) const
    {
        if (p) {
            plist_free(p);
        }
    }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

} // namespace brimlark
