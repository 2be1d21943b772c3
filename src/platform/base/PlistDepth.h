#pragma once

#include <cstddef>
#include <cstdint>

namespace brimlark {

// A look at a property-list document before the parser gets it: the parser
// descends one stack frame per level of nesting (its free does too), and it
// copies a binary object for every reference to it, so a file that anyone
// can write (a bundle's information list, a settings file) could otherwise
// overflow the stack or fill the memory. Knows the XML and the binary form.
class PlistDepth
{
public:
    // Far beyond any real document, far below what the stack bears.
    static constexpr int MaxNesting = 128;
    // A binary document may expand to as many nodes as it has bytes, or to
    // this many when that is more. A list written without shared containers
    // never expands past its size: every reference takes at least a byte.
    static constexpr std::uint64_t MinNodeAllowance = 1 << 16;
    // Its leaves may expand to this many times its size in bytes, or to the
    // allowance when that is more: without shared leaves a document's text
    // grows at most by half (UTF-16 read as UTF-8).
    static constexpr std::uint64_t ByteExpansion = 4;
    static constexpr std::uint64_t MinByteAllowance = 16 << 20;

    // Whether the document nests no deeper than `maxNesting` containers.
    // A binary document that refers outside itself or in a cycle, or that
    // expands to more nodes or bytes than allowed above, is refused too, and
    // so is any document the parser would read wrongly: a NUL byte in the
    // XML form or in a string, an integer that does not fit 64 bits. Text
    // that is not a property list passes (the parser rejects it).
    static bool withinLimit(const char *bytes, std::size_t size, int maxNesting = MaxNesting);
};

} // namespace brimlark
