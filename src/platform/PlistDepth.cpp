#include "platform/PlistDepth.h"

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

// Element nesting of the XML form, counted without building anything.
// Comments, processing instructions, CDATA and the document type are skipped.
bool xmlWithinLimit(std::string_view text, int maxNesting)
{
    // The root element and a leaf element wrap the containers.
    const int maxElements = maxNesting + 2;
    int depth = 0;
    std::size_t i = 0;
    auto skipPast = [&text](std::size_t from, std::string_view end) {
        const std::size_t at = text.find(end, from);
        return at == std::string_view::npos ? text.size() : at + end.size();
    };
    while ((i = text.find('<', i)) != std::string_view::npos) {
        const std::string_view rest = text.substr(i);
        if (rest.starts_with("<!--")) {
            i = skipPast(i + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            i = skipPast(i + 9, "]]>");
        } else if (rest.starts_with("<?")) {
            i = skipPast(i + 2, "?>");
        } else if (rest.starts_with("<!")) {
            const std::size_t close = text.find('>', i);
            const std::size_t subset = text.find('[', i);
            i = subset < close ? skipPast(subset, "]>") : skipPast(i, ">");
        } else if (rest.starts_with("</")) {
            --depth;
            i = skipPast(i, ">");
        } else {
            // An opening tag; quoted attribute values may hold '>'.
            char quote = 0;
            std::size_t j = i + 1;
            for (; j < text.size(); ++j) {
                const char c = text[j];
                if (quote) {
                    quote = c == quote ? 0 : quote;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                }
            }
            if (j >= text.size()) {
                return true; // unterminated: the parser refuses it
            }
            if (text[j - 1] != '/' && ++depth > maxElements) {
                return false;
            }
            i = j + 1;
        }
    }
    return true;
}

// Container nesting of the binary form: the height of the object graph from
// the top object, walked without recursion. Shared objects are measured once.
bool binaryWithinLimit(const unsigned char *bytes, std::size_t size, int maxNesting)
{
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
        state[frame.object] = Done;
        height[frame.object] = own;
        path.pop_back();
        if (!path.empty()) {
            path.back().tallest = std::max(path.back().tallest, own);
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
