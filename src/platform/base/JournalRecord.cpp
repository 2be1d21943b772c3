#include "platform/base/JournalRecord.h"

#include "platform/base/BinaryPlistWriter.h"
#include "platform/base/PlistReader.h"

#include <zlib.h>

namespace brimlark {

namespace {

void appendLittleEndian(std::string &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(char((v >> (8 * i)) & 0xFF));
    }
}

std::uint32_t readLittleEndian(const char *p)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    }
    return v;
}

std::uint32_t checksum(const char *p, std::size_t n)
{
    return static_cast<std::uint32_t>(::crc32(0, reinterpret_cast<const Bytef *>(p), static_cast<uInt>(n)));
}

std::optional<std::string> encode(
    JournalRecord::Operation op, const std::string &key, const DefaultsValue *value)
{
    std::optional<std::string> encoded;
    if (value) {
        encoded = BinaryPlistWriter().writeValue(*value);
        if (!encoded) {
            return std::nullopt;
        }
    }
    const std::size_t payload = 1 + 4 + key.size() + (encoded ? encoded->size() : 0);
    if (payload > JournalRecord::MaxSize) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(JournalRecord::RecordHeader + payload);
    appendLittleEndian(out, std::uint32_t(payload));
    appendLittleEndian(out, 0); // the checksum, once the payload is in place
    out.push_back(char(op));
    appendLittleEndian(out, std::uint32_t(key.size()));
    out.append(key);
    if (encoded) {
        out.append(*encoded);
    }
    const std::uint32_t sum = checksum(out.data() + JournalRecord::RecordHeader, payload);
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = char((sum >> (8 * i)) & 0xFF);
    }
    return out;
}

std::optional<JournalRecord> decode(const char *payload, std::uint32_t size)
{
    if (size < 5) {
        return std::nullopt;
    }
    const std::uint32_t keySize = readLittleEndian(payload + 1);
    if (keySize > size - 5) {
        return std::nullopt;
    }
    JournalRecord read;
    read.key.assign(payload + 5, keySize);
    const char *value = payload + 5 + keySize;
    const std::size_t valueSize = size - 5 - keySize;
    if (payload[0] == char(JournalRecord::Operation::Set)) {
        read.value = PlistReader::value(value, valueSize);
        if (!read.value) {
            return std::nullopt;
        }
    } else if (payload[0] == char(JournalRecord::Operation::Remove) && valueSize == 0) {
        read.operation = JournalRecord::Operation::Remove;
    } else {
        return std::nullopt;
    }
    return read;
}

} // namespace

std::optional<std::string> JournalRecord::set(const std::string &key, const DefaultsValue &value)
{
    return encode(Operation::Set, key, &value);
}

std::optional<std::string> JournalRecord::remove(const std::string &key)
{
    return encode(Operation::Remove, key, nullptr);
}

std::string_view JournalRecord::valueOf(std::string_view record)
{
    const std::size_t keyAt = RecordHeader + 5;
    if (record.size() < keyAt) {
        return {};
    }
    const std::uint32_t keySize = readLittleEndian(record.data() + RecordHeader + 1);
    return keyAt + keySize <= record.size() ? record.substr(keyAt + keySize) : std::string_view();
}

std::size_t JournalRecord::readAll(std::string_view bytes, const std::function<void(JournalRecord &&)> &apply)
{
    if (bytes.size() < Header.size() || bytes.compare(0, Header.size(), Header) != 0) {
        return 0;
    }
    std::size_t skipped = 0;
    for (std::size_t at = Header.size(); bytes.size() - at >= RecordHeader;) {
        const char *record = bytes.data() + at;
        const std::uint32_t size = readLittleEndian(record);
        if (size > bytes.size() - at - RecordHeader) {
            return skipped;
        }
        const char *payload = record + RecordHeader;
        if (checksum(payload, size) != readLittleEndian(record + 4)) {
            return skipped;
        }
        // The record is whole and as written: one that does not decode
        // (another version's, or a value this reader refuses) costs only
        // itself, never the records after it.
        at += RecordHeader + size;
        if (auto read = decode(payload, size)) {
            apply(std::move(*read));
        } else {
            ++skipped;
        }
    }
    return skipped;
}

} // namespace brimlark
