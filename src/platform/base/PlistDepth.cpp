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
        } else if (!isLeaf(tag) || !skipLeaf()) {
            return true; // the parser gives up here
        }
    }
}

// Container nesting of the binary form: the height of the object graph from
// the top object, walked without recursion. Shared objects are measured once,
// but the parser copies an object for every reference to it, so the size of
// the tree it would build is counted too (with a memo per object: a chain of
// arrays that each refer twice to the next doubles at every level).
bool binaryWithinLimit(const unsigned char *bytes, std::size_t size, int maxNesting)
{
    const std::uint64_t maxNodes = std::max<std::uint64_t>(size, PlistDepth::MinNodeAllowance);
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
    };
    // Fills the frame of one object; false when it lies outside the document.
    auto open = [&](std::uint64_t object, Frame &frame) {
        const std::uint64_t offset = bigEndian(bytes + tableOffset + object * offsetSize, offsetSize);
        if (offset < headerSize || offset >= tableOffset) {
            return false;
        }
        frame = Frame {};
        frame.object = object;
        const unsigned marker = bytes[offset];
        const unsigned type = marker >> 4;
        // Arrays, ordered sets, sets and dictionaries hold references.
        if (type < 0xA || type > 0xD) {
            return true;
        }
        frame.container = 1;
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
        const std::uint64_t refs = type == 0xD ? length * 2 : length;
        if (length > tableOffset || refs > (tableOffset - position) / refSize) {
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
                if (frame.nodes > maxNodes) {
                    return false;
                }
                continue;
            }
            Frame inner;
            if (!open(child, inner)) {
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
        state[frame.object] = Done;
        height[frame.object] = own;
        nodes[frame.object] = expanded;
        path.pop_back();
        if (!path.empty()) {
            path.back().tallest = std::max(path.back().tallest, own);
            path.back().nodes += expanded;
            if (path.back().nodes > maxNodes) {
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
