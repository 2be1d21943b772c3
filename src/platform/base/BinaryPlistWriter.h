#pragma once

#include "platform/base/DefaultsValue.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brimlark {

// The binary property-list form, written straight from the values: no
// intermediate tree, so a write of a large domain costs little more than
// copying its bytes. One writer makes one document.
class BinaryPlistWriter
{
public:
    // A whole domain. Nothing when a value cannot be kept in the format (a
    // date that is not finite, a text or key holding a NUL, which readers of
    // the format take for its end).
    std::optional<std::string> write(const DefaultsValue::Dictionary &root);
    // One value as the whole document: a journal record's value.
    std::optional<std::string> writeValue(const DefaultsValue &root);

private:
    struct Node
    {
        const DefaultsValue *value = nullptr; // none: a dictionary key
        const std::string *key = nullptr;
        std::size_t refStart = 0;
        std::size_t refCount = 0;
    };

    std::optional<std::string> finish();
    static std::size_t widthFor(std::uint64_t v);
    void appendBigEndian(std::uint64_t v, std::size_t width);
    void appendMarker(unsigned type, std::uint64_t length);
    void appendInteger(std::uint64_t v);
    void appendDouble(unsigned marker, double v);
    void appendString(const std::string &text);
    bool flattenDictionary(const DefaultsValue::Dictionary &dictionary);
    std::optional<std::uint64_t> flatten(const DefaultsValue &value);
    void appendRefs(const Node &node);
    bool writeNode(const Node &node);

    std::vector<Node> m_nodes;
    std::vector<std::uint64_t> m_refs;
    std::size_t m_refSize = 1;
    std::size_t m_bytesHint = 0;
    std::string m_out;
};

} // namespace brimlark
