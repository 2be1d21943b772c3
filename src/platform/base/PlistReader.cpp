#include "platform/base/PlistReader.h"

#include "platform/base/PlistDepth.h"
#include "platform/base/PlistPtr.h"
#include "platform/base/Utf8.h"

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

namespace brimlark {

namespace {

// The instant a date node holds, as the double the format keeps. The
// parser's own accessor gives whole seconds as a 32-bit number, which
// cannot hold 1900 or 2100 and loses the sign of a fraction before 2001;
// the node's binary form has the double itself.
std::optional<double> exactDate(plist_t node)
{
    char *bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node, &bytes, &length);
    std::unique_ptr<char, decltype(&std::free)> guard(bytes, &std::free);
    // "bplist00", then the one object: its marker and eight bytes.
    if (!bytes || length < 17 || static_cast<unsigned char>(bytes[8]) != 0x33) {
        return std::nullopt;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits = (bits << 8) | static_cast<unsigned char>(bytes[9 + i]);
    }
    double seconds = 0;
    std::memcpy(&seconds, &bits, sizeof seconds);
    return seconds;
}

std::optional<DefaultsValue> fromPlist(plist_t node, int depth = 0)
{
    if (!node || depth > 256) {
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        // Taken with its length: the parser's copying accessor aborts the
        // program on a string that holds a NUL, and no value here holds one.
        // Nor bytes that are not text: a fold would store them otherwise.
        std::uint64_t length = 0;
        const char *s = plist_get_string_ptr(node, &length);
        if (!s || std::memchr(s, 0, length) || !Utf8::isValid(std::string_view(s, length))) {
            return std::nullopt;
        }
        return DefaultsValue(std::string(s, length));
    }
    case PLIST_DATA: {
        char *d = nullptr;
        std::uint64_t length = 0;
        plist_get_data_val(node, &d, &length);
        DefaultsValue::Data out(
            reinterpret_cast<std::uint8_t *>(d), reinterpret_cast<std::uint8_t *>(d) + (d ? length : 0));
        std::free(d);
        return DefaultsValue(std::move(out));
    }
    case PLIST_UINT: {
        std::uint64_t v = 0;
        plist_get_uint_val(node, &v);
        // Above the signed range the same bits are either a negative number
        // (eight bytes) or an unsigned one (sixteen); only the node knows.
        if (v > std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
            PlistPtr signedForm(plist_new_uint(v));
            if (!plist_compare_node_value(node, signedForm.get())) {
                return DefaultsValue::fromUnsigned(v);
            }
        }
        return DefaultsValue(static_cast<std::int64_t>(v));
    }
    case PLIST_REAL: {
        double v = 0;
        plist_get_real_val(node, &v);
        return DefaultsValue(v);
    }
    case PLIST_BOOLEAN: {
        std::uint8_t v = 0;
        plist_get_bool_val(node, &v);
        return DefaultsValue(v != 0);
    }
    case PLIST_DATE: {
        const auto seconds = exactDate(node);
        if (!seconds) {
            return std::nullopt;
        }
        return DefaultsValue(DefaultsValue::Date { *seconds });
    }
    case PLIST_ARRAY: {
        DefaultsValue::Array out;
        const std::uint32_t n = plist_array_get_size(node);
        out.reserve(n);
        // Walked in order: the parser finds an element by its index by
        // counting from the first, which for a long list was most of a read.
        plist_array_iter it = nullptr;
        plist_array_new_iter(node, &it);
        for (std::uint32_t i = 0; it && i < n; ++i) {
            plist_t item = nullptr;
            plist_array_next_item(node, it, &item);
            auto element = item ? fromPlist(item, depth + 1) : std::nullopt;
            if (!element) {
                std::free(it);
                return std::nullopt;
            }
            out.push_back(std::move(*element));
        }
        std::free(it);
        if (out.size() != n) {
            return std::nullopt;
        }
        return DefaultsValue(std::move(out));
    }
    case PLIST_DICT: {
        DefaultsValue::Dictionary out;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        bool ok = true;
        while (it) {
            char *key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            auto element = fromPlist(item, depth + 1);
            if (!element || !key || !Utf8::isValid(key)) {
                ok = false;
                std::free(key);
                break;
            }
            out.emplace(key, std::move(*element));
            std::free(key);
        }
        std::free(it);
        if (!ok) {
            return std::nullopt;
        }
        return DefaultsValue(std::move(out));
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<DefaultsValue::Dictionary> PlistReader::dictionary(const std::string &bytes)
{
    if (bytes.empty() || bytes.size() > UINT32_MAX) {
        return std::nullopt;
    }
    // The parser recurses per level: a hostile file must not get that far.
    if (!PlistDepth::withinLimit(bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    PlistPtr guard(root);
    if (!root || plist_get_node_type(root) != PLIST_DICT) {
        return std::nullopt;
    }
    auto value = fromPlist(root);
    if (!value || !value->asDictionary()) {
        return std::nullopt;
    }
    return *value->asDictionary();
}

std::optional<DefaultsValue> PlistReader::value(const char *bytes, std::size_t size)
{
    if (size == 0 || !PlistDepth::withinLimit(bytes, size)) {
        return std::nullopt;
    }
    plist_t root = nullptr;
    plist_from_memory(bytes, static_cast<std::uint32_t>(size), &root);
    PlistPtr guard(root);
    return root ? fromPlist(root) : std::nullopt;
}

} // namespace brimlark
