#pragma once

#include <algorithm>
#include <set>

namespace brimlark {

// The one reorder rule of every drag reorder: the elements at the source
// offsets leave the list keeping their relative order, and go back as one
// block just before the element that stood at the destination offset (at the
// end when the destination is the length). Offsets refer to the list before
// the move; out-of-range sources are ignored and the destination is clamped.
class ListMove
{
public:
    template <typename List> static void apply(List &list, const std::set<int> &sources, int destination)
    {
        const int size = static_cast<int>(list.size());
        destination = std::clamp(destination, 0, size);
        List moved;
        List kept;
        int insertAt = 0;
        for (int i = 0; i < size; ++i) {
            if (i == destination) {
                insertAt = static_cast<int>(kept.size());
            }
            if (sources.count(i)) {
                moved.push_back(list[i]);
            } else {
                kept.push_back(list[i]);
            }
        }
        if (destination == size) {
            insertAt = static_cast<int>(kept.size());
        }
        if (moved.empty()) {
            return;
        }
        List out;
        out.reserve(size);
        for (int i = 0; i < insertAt; ++i) {
            out.push_back(kept[i]);
        }
        for (const auto &m : moved) {
            out.push_back(m);
        }
        for (int i = insertAt; i < static_cast<int>(kept.size()); ++i) {
            out.push_back(kept[i]);
        }
        list = std::move(out);
    }
};

} // namespace brimlark
