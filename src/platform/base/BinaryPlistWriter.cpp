#include "platform/base/BinaryPlistWriter.h"

#include <cmath>
#include <cstring>

namespace brimlark {

std::optional<std::string> BinaryPlistWriter::write(const DefaultsValue::Dictionary &root)
{
    return flattenDictionary(root) ? finish() : std::nullopt;
}

std::optional<std::string> BinaryPlistWriter::writeValue(const DefaultsValue &root)
{
    return flatten(root) ? finish() : std::nullopt;
}

std::optional<std::string> BinaryPlistWriter::finish()
{
    const std::uint64_t count = m_nodes.size();
    m_refSize = count <= 0xFF ? 1 : count <= 0xFFFF ? 2 : count <= 0xFFFFFFFFu ? 4 : 8;
    m_out.reserve(m_bytesHint + count * (2 + 2 * m_refSize) + 64);
    m_out.append("bplist00", 8);
    std::vector<std::uint64_t> offsets;
    offsets.reserve(count);
    for (const Node &node : m_nodes) {
        offsets.push_back(m_out.size());
        if (!writeNode(node)) {
            return std::nullopt;
        }
    }
    const std::uint64_t tableOffset = m_out.size();
    const std::size_t offsetSize = widthFor(tableOffset);
    for (std::uint64_t offset : offsets) {
        appendBigEndian(offset, offsetSize);
    }
    m_out.append(6, '\0');
    m_out.push_back(char(offsetSize));
    m_out.push_back(char(m_refSize));
    appendBigEndian(count, 8);
    appendBigEndian(0, 8);
    appendBigEndian(tableOffset, 8);
    return std::move(m_out);
}

std::size_t BinaryPlistWriter::widthFor(std::uint64_t v)
{
    return v <= 0xFF ? 1 : v <= 0xFFFF ? 2 : v <= 0xFFFFFFFFu ? 4 : 8;
}

void BinaryPlistWriter::appendBigEndian(std::uint64_t v, std::size_t width)
{
    for (std::size_t i = width; i > 0; --i) {
        m_out.push_back(char((v >> (8 * (i - 1))) & 0xFF));
    }
}

void BinaryPlistWriter::appendMarker(unsigned type, std::uint64_t length)
{
    if (length < 0xF) {
        m_out.push_back(char((type << 4) | length));
        return;
    }
    m_out.push_back(char((type << 4) | 0xF));
    appendInteger(length);
}

void BinaryPlistWriter::appendInteger(std::uint64_t v)
{
    const std::size_t width = widthFor(v);
    const unsigned power = width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3;
    m_out.push_back(char(0x10 | power));
    appendBigEndian(v, width);
}

void BinaryPlistWriter::appendDouble(unsigned marker, double v)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    m_out.push_back(char(marker));
    appendBigEndian(bits, 8);
}

void BinaryPlistWriter::appendString(const std::string &text)
{
    bool ascii = true;
    for (unsigned char c : text) {
        ascii = ascii && c < 0x80;
    }
    if (ascii) {
        appendMarker(0x5, text.size());
        m_out.append(text);
        return;
    }
    // Anything else is kept as UTF-16 code units; a byte that is not
    // UTF-8 becomes the replacement character.
    std::vector<char16_t> units;
    units.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t cp = 0xFFFD;
        std::size_t length = 1;
        auto continuation = [&text](std::size_t at) {
            return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
        };
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && continuation(i + 1)) {
            cp = ((c & 0x1Fu) << 6) | (text[i + 1] & 0x3F);
            length = 2;
            cp = cp < 0x80 ? 0xFFFD : cp;
        } else if ((c & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
            cp = ((c & 0x0Fu) << 12) | ((text[i + 1] & 0x3Fu) << 6) | (text[i + 2] & 0x3F);
            length = 3;
            cp = cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF) ? 0xFFFD : cp;
        } else if ((c & 0xF8) == 0xF0 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3)) {
            cp = ((c & 0x07u) << 18) | ((text[i + 1] & 0x3Fu) << 12) | ((text[i + 2] & 0x3Fu) << 6)
                | (text[i + 3] & 0x3F);
            length = 4;
            cp = cp < 0x10000 || cp > 0x10FFFF ? 0xFFFD : cp;
        }
        i += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(char16_t(0xD800 + (cp >> 10)));
            units.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(char16_t(cp));
        }
    }
    appendMarker(0x6, units.size());
    for (char16_t u : units) {
        appendBigEndian(u, 2);
    }
}

bool BinaryPlistWriter::flattenDictionary(const DefaultsValue::Dictionary &dictionary)
{
    const std::size_t index = m_nodes.size();
    m_nodes.push_back(Node {});
    std::vector<std::uint64_t> children;
    children.reserve(dictionary.size() * 2);
    for (const auto &entry : dictionary) {
        if (entry.first.find('\0') != std::string::npos) {
            return false;
        }
        children.push_back(m_nodes.size());
        m_nodes.push_back(Node { nullptr, &entry.first, 0, 0 });
        m_bytesHint += entry.first.size();
    }
    for (const auto &entry : dictionary) {
        const auto child = flatten(entry.second);
        if (!child) {
            return false;
        }
        children.push_back(*child);
    }
    m_nodes[index].refStart = m_refs.size();
    m_nodes[index].refCount = children.size();
    m_refs.insert(m_refs.end(), children.begin(), children.end());
    return true;
}

std::optional<std::uint64_t> BinaryPlistWriter::flatten(const DefaultsValue &value)
{
    const std::uint64_t index = m_nodes.size();
    if (const auto *dictionary = value.asDictionary()) {
        if (!flattenDictionary(*dictionary)) {
            return std::nullopt;
        }
        m_nodes[index].value = &value;
        return index;
    }
    m_nodes.push_back(Node { &value, nullptr, 0, 0 });
    if (const auto *array = value.asArray()) {
        std::vector<std::uint64_t> children;
        children.reserve(array->size());
        for (const auto &element : *array) {
            const auto child = flatten(element);
            if (!child) {
                return std::nullopt;
            }
            children.push_back(*child);
        }
        m_nodes[index].refStart = m_refs.size();
        m_nodes[index].refCount = children.size();
        m_refs.insert(m_refs.end(), children.begin(), children.end());
    } else if (const auto *s = value.asString()) {
        if (s->find('\0') != std::string::npos) {
            return std::nullopt;
        }
        m_bytesHint += s->size();
    } else if (const auto *d = value.asData()) {
        m_bytesHint += d->size();
    }
    return index;
}

void BinaryPlistWriter::appendRefs(const Node &node)
{
    for (std::size_t i = 0; i < node.refCount; ++i) {
        appendBigEndian(m_refs[node.refStart + i], m_refSize);
    }
}

bool BinaryPlistWriter::writeNode(const Node &node)
{
    if (!node.value) {
        if (node.key) {
            appendString(*node.key);
        } else {
            appendMarker(0xD, node.refCount / 2);
            appendRefs(node);
        }
        return true;
    }
    const DefaultsValue &value = *node.value;
    switch (value.type()) {
    case DefaultsValue::Type::String:
        appendString(*value.asString());
        return true;
    case DefaultsValue::Type::Data: {
        const auto &d = *value.asData();
        appendMarker(0x4, d.size());
        m_out.append(reinterpret_cast<const char *>(d.data()), d.size());
        return true;
    }
    case DefaultsValue::Type::Integer: {
        // Integers of eight bytes are signed in this format; shorter
        // ones are not, so negative values always take eight.
        const std::int64_t v = *value.asInteger();
        if (v < 0) {
            m_out.push_back(char(0x13));
            appendBigEndian(static_cast<std::uint64_t>(v), 8);
        } else {
            appendInteger(static_cast<std::uint64_t>(v));
        }
        return true;
    }
    case DefaultsValue::Type::Real:
        appendDouble(0x23, *value.asReal());
        return true;
    case DefaultsValue::Type::Bool:
        m_out.push_back(char(*value.asBool() ? 0x09 : 0x08));
        return true;
    case DefaultsValue::Type::Date: {
        // Any finite instant: the format keeps a double, and other
        // writers put dates in 1900 or 2100 into it.
        const double t = value.asDate()->secondsSinceReferenceDate;
        if (!std::isfinite(t)) {
            return false;
        }
        appendDouble(0x33, t);
        return true;
    }
    case DefaultsValue::Type::Unsigned:
        // Sixteen bytes, the upper eight zero: the form that reads back
        // unsigned.
        m_out.push_back(char(0x14));
        appendBigEndian(0, 8);
        appendBigEndian(*value.asUnsigned(), 8);
        return true;
    case DefaultsValue::Type::Array:
        appendMarker(0xA, node.refCount);
        appendRefs(node);
        return true;
    case DefaultsValue::Type::Dictionary:
        appendMarker(0xD, node.refCount / 2);
        appendRefs(node);
        return true;
    }
    return false;
}

} // namespace brimlark
