#pragma once

#include <cstddef>

namespace brimlark {

// A look at a property-list document before the parser gets it: the parser
// descends one stack frame per level of nesting, so a file that anyone can
// write (a bundle's information list, a settings file) could otherwise nest
// deep enough to overflow the stack. Knows the XML and the binary form.
class PlistDepth
{
public:
    // Far beyond any real document, far below what the stack bears.
    static constexpr int MaxNesting = 128;

    // Whether the document nests no deeper than `maxNesting` containers.
    // A binary document that refers outside itself or in a cycle is refused
    // too; text that is not a property list passes (the parser rejects it).
    static bool withinLimit(const char *bytes, std::size_t size, int maxNesting = MaxNesting);
};

} // namespace brimlark
