#include "platform/base/PlistDepth.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace brimlark {

namespace {

std::uint64_t bigEndian(const unsigned char *p, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = (value << 8) | p[i];
    }
    return value;
}

// Container nesting of the XML form, counted without building anything and
// read the way the parser reads it: a double-quoted text in a tag, a
// processing instruction or a document type may hold '>', a single quote is
// an ordinary character, and the text of a leaf runs to its closing tag with
// comments and CDATA sections skipped. Wherever the parser would give up,
// the count stops too: nothing after that point is ever built.
bool xmlWithinLimit(std::string_view text, int maxNesting)
{
    // The parser copies a tag's name and a leaf's text as C strings: a NUL
    // ends the name it compares (`<array\0>` nests where this count saw an
    // unknown tag) and a string whose length disagrees with its text aborts
    // the program. No real document holds one.
    if (text.find('\0') != std::string_view::npos) {
        return false;
    }
    const std::size_t end = text.size();
    std::size_t i = 0;
    // Moves i to the first of `stops`, stepping over double-quoted texts when
    // asked; false at the end of the text.
    auto findNext = [&](std::string_view stops, bool quotes) {
        for (; i < end; ++i) {
            if (quotes && text[i] == '"') {
                const std::size_t close = text.find('"', i + 1);
                if (close == std::string_view::npos) {
                    i = end;
                    return false;
                }
                i = close;
            }
            if (stops.find(text[i]) != std::string_view::npos) {
                return true;
            }
        }
        return false;
    };
    auto findText = [&](std::string_view what, bool quotes) {
        for (; i + what.size() <= end; ++i) {
            if (text.compare(i, what.size(), what) == 0) {
                return true;
            }
            if (quotes && text[i] == '"') {
                const std::size_t close = text.find('"', i + 1);
                if (close == std::string_view::npos) {
                    return false;
                }
                i = close;
            }
        }
        return false;
    };
    auto skipSpace = [&] {
        while (i < end && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
            ++i;
        }
    };
    // The text of a leaf up to and past its closing tag.
    auto skipLeaf = [&]() {
        while (true) {
            const std::size_t open = text.find('<', i);
            if (open == std::string_view::npos || open + 1 >= end) {
                return false;
            }
            i = open + 1;
            if (text[i] == '/') {
                return findNext(">", false) && (++i, true);
            }
            if (text.compare(i, 3, "!--") == 0) {
                i += 3;
                if (!findText("-->", false)) {
                    return false;
                }
                i += 3;
            } else if (text.compare(i, 8, "![CDATA[") == 0) {
                i += 8;
                if (!findText("]]>", false)) {
                    return false;
                }
                i += 3;
            } else {
                return false;
            }
        }
    };

    // The parser reads an integer's text as C does (octal after a leading
    // zero, hexadecimal, a sign, junk after the digits, the largest value on
    // overflow): only plain decimal digits that fit 64 bits are taken.
    auto integerFits = [&]() {
        const std::size_t close = text.find('<', i);
        if (close == std::string_view::npos || close + 1 >= end || text[close + 1] != '/') {
            return false;
        }
        std::string_view digits = text.substr(i, close - i);
        auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
        while (!digits.empty() && space(digits.front())) {
            digits.remove_prefix(1);
        }
        while (!digits.empty() && space(digits.back())) {
            digits.remove_suffix(1);
        }
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
            digits.remove_prefix(1);
        }
        if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) {
            return false;
        }
        const std::uint64_t limit = negative ? std::uint64_t(1) << 63 : ~std::uint64_t(0);
        std::uint64_t value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') {
                return false;
            }
            const unsigned digit = unsigned(c - '0');
            if (value > (limit - digit) / 10) {
                return false;
            }
            value = value * 10 + digit;
        }
        return true;
    };

    auto isLeaf = [](std::string_view tag) {
        for (const std::string_view leaf :
            { "key", "string", "integer", "real", "true", "false", "data", "date" }) {
            if (tag == leaf) {
                return true;
            }
        }
        return false;
    };

    int depth = 0;
    while (true) {
        skipSpace();
        if (i >= end || text[i] != '<' || ++i >= end) {
            return true;
        }
        if (text[i] == '?') {
            if (!findText("?>", true)) {
                return true;
            }
            i += 2;
            continue;
        }
        if (text[i] == '!') {
            if (text.compare(i, 3, "!--") == 0) {
                i += 3;
                if (!findText("-->", false)) {
                    return true;
                }
                i += 3;
                continue;
            }
            if (text.compare(i, 8, "!DOCTYPE") != 0) {
                return true;
            }
            i += 8;
            bool subset = false;
            while (true) {
                if (!findNext(" \t\r\n[>", true)) {
                    return true;
                }
                if (text[i] == '[') {
                    subset = true;
                    break;
                }
                if (text[i] == '>') {
                    ++i;
                    break;
                }
                skipSpace();
            }
            if (subset) {
                if (!findText("]>", true)) {
                    return true;
                }
                i += 2;
            }
            continue;
        }
        const std::size_t name = i;
        if (!findNext(" \r\n\t<>", false)) {
            return true;
        }
        std::string_view tag = text.substr(name, i - name);
        if (text[i] != '>' && !findNext("<>", true)) {
            return true;
        }
        if (text[i] != '>') {
            return true;
        }
        const bool empty = text[i - 1] == '/';
        if (empty && tag.ends_with('/')) {
            tag.remove_suffix(1);
        }
        ++i;
        if (tag.starts_with('/')) {
            depth = tag == "/plist" ? depth : std::max(0, depth - 1);
        } else if (tag == "array" || tag == "dict") {
            if (!empty && ++depth > maxNesting) {
                return false;
            }
        } else if (tag == "plist" || empty) {
            continue;
        } else if (tag == "integer" && !integerFits()) {
            return false;
        } else if (!isLeaf(tag) || !skipLeaf()) {
            return true; // the parser gives up here
        }
    }
}

// Container nesting of the binary form: the height of the object graph from
// the top object, walked without recursion. Shared objects are measured once,
// but the parser copies an object for every reference to it, so the size of
// the tree it would build is counted too, in nodes and in the bytes of its
// leaves (with a memo per object: a chain of arrays that each refer twice to
// the next doubles at every level, and sixty thousand references to one long
// string cost sixty thousand copies of it). Leaves the parser would take
// wrongly are refused: a string holding a NUL (its copies disagree on the
// length, and one of them asserts), an integer wider than 64 bits (the parser
// keeps its low half).
bool binaryWithinLimit(const unsigned char *bytes, std::size_t size, int maxNesting)
{
    const std::uint64_t maxNodes = std::max<std::uint64_t>(size, PlistDepth::MinNodeAllowance);
    const std::uint64_t maxBytes = std::max<std::uint64_t>(
        std::uint64_t(size) * PlistDepth::ByteExpansion, PlistDepth::MinByteAllowance);
    constexpr std::size_t headerSize = 8;
    constexpr std::size_t trailerSize = 32;
    if (size < headerSize + trailerSize) {
        return true; // too short to be parsed at all
    }
    const unsigned char *trailer = bytes + size - trailerSize;
    const std::size_t offsetSize = trailer[6];
    const std::size_t refSize = trailer[7];
    const std::uint64_t count = bigEndian(trailer + 8, 8);
    const std::uint64_t top = bigEndian(trailer + 16, 8);
    const std::uint64_t tableOffset = bigEndian(trailer + 24, 8);
    const std::size_t objectsEnd = size - trailerSize;
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || count == 0 || top >= count
        || tableOffset < headerSize || tableOffset > objectsEnd
        || count > (objectsEnd - tableOffset) / offsetSize) {
        return false;
    }

    struct Frame
    {
        std::uint64_t refs = 0; // where the object's references start
        std::uint64_t refCount = 0; // how many it has
        std::uint64_t next = 0;
        std::uint64_t object = 0;
        int container = 0;
        int tallest = 0;
        std::uint64_t nodes = 1; // this object and everything it expands to
        std::uint64_t bytes = 0; // the leaves' bytes in all of that
    };
    // Fills the frame of one object; false when it lies outside the document
    // or is a leaf the parser would take wrongly.
    auto open = [&](std::uint64_t object, Frame &frame) {
        const std::uint64_t offset = bigEndian(bytes + tableOffset + object * offsetSize, offsetSize);
        if (offset < headerSize || offset >= tableOffset) {
            return false;
        }
        frame = Frame {};
        frame.object = object;
        const unsigned marker = bytes[offset];
        const unsigned type = marker >> 4;
        if (type == 0x1) {
            // The high half of a sixteen-byte integer must be empty: the
            // form keeps unsigned 64-bit numbers so, nothing wider.
            const std::size_t width = std::size_t(1) << (marker & 0xF);
            if (width > 16 || offset + 1 + width > tableOffset) {
                return false;
            }
            return width < 16 || bigEndian(bytes + offset + 1, 8) == 0;
        }
        // Data, strings, and the containers' references have a length.
        if (type != 0x4 && type != 0x5 && type != 0x6 && (type < 0xA || type > 0xD)) {
            return true;
        }
        std::uint64_t length = marker & 0xF;
        std::uint64_t position = offset + 1;
        if (length == 0xF) {
            if (position >= tableOffset || (bytes[position] >> 4) != 0x1) {
                return false;
            }
            const std::size_t width = std::size_t(1) << (bytes[position] & 0xF);
            if (width > 8 || position + 1 + width > tableOffset) {
                return false;
            }
            length = bigEndian(bytes + position + 1, width);
            position += 1 + width;
        }
        const std::uint64_t room = tableOffset - position;
        if (type == 0x4 || type == 0x5) {
            if (length > room) {
                return false;
            }
            frame.bytes = length;
            return type == 0x4 || std::memchr(bytes + position, 0, length) == nullptr;
        }
        if (type == 0x6) {
            if (length > room / 2) {
                return false;
            }
            for (std::uint64_t unit = 0; unit < length; ++unit) {
                if (bytes[position + 2 * unit] == 0 && bytes[position + 2 * unit + 1] == 0) {
                    return false;
                }
            }
            frame.bytes = length * 3; // as UTF-8
            return true;
        }
        frame.container = 1;
        const std::uint64_t refs = type == 0xD ? length * 2 : length;
        if (length > tableOffset || refs > room / refSize) {
            return false;
        }
        frame.refs = position;
        frame.refCount = refs;
        return true;
    };

    enum : std::uint8_t { Unvisited, Open, Done };
    std::vector<std::uint8_t> state(count, Unvisited);
    std::vector<int> height(count, 0);
    std::vector<std::uint64_t> nodes(count, 0);
    std::vector<std::uint64_t> leafBytes(count, 0);
    std::vector<Frame> path;
    Frame first;
    if (!open(top, first)) {
        return false;
    }
    state[top] = Open;
    path.push_back(first);
    while (!path.empty()) {
        Frame &frame = path.back();
        if (frame.next < frame.refCount) {
            const std::uint64_t child = bigEndian(bytes + frame.refs + frame.next * refSize, refSize);
            ++frame.next;
            if (child >= count || state[child] == Open) {
                return false; // outside the document, or a cycle
            }
            if (state[child] == Done) {
                frame.tallest = std::max(frame.tallest, height[child]);
                frame.nodes += nodes[child];
                frame.bytes += leafBytes[child];
                if (frame.nodes > maxNodes || frame.bytes > maxBytes) {
                    return false;
                }
                continue;
            }
            Frame inner;
            if (!open(child, inner) || inner.bytes > maxBytes) {
                return false;
            }
            if (inner.container && int(path.size()) >= maxNesting) {
                return false;
            }
            state[child] = Open;
            path.push_back(inner);
            continue;
        }
        const int own = frame.container + frame.tallest;
        const std::uint64_t expanded = frame.nodes;
        const std::uint64_t expandedBytes = frame.bytes;
        state[frame.object] = Done;
        height[frame.object] = own;
        nodes[frame.object] = expanded;
        leafBytes[frame.object] = expandedBytes;
        path.pop_back();
        if (!path.empty()) {
            path.back().tallest = std::max(path.back().tallest, own);
            path.back().nodes += expanded;
            path.back().bytes += expandedBytes;
            if (path.back().nodes > maxNodes || path.back().bytes > maxBytes) {
                return false;
            }
        }
    }
    return height[top] <= maxNesting;
}

} // namespace

bool PlistDepth::withinLimit(const char *bytes, std::size_t size, int maxNesting)
{
    if (!bytes) {
        return true;
    }
    if (size >= 8 && std::memcmp(bytes, "bplist00", 8) == 0) {
        return binaryWithinLimit(reinterpret_cast<const unsigned char *>(bytes), size, maxNesting);
    }
    return xmlWithinLimit(std::string_view(bytes, size), maxNesting);
}

} // namespace brimlark
