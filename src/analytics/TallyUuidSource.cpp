#include "analytics/TallyUuidSource.h"

#include "analytics/SeededGenerator.h"
#include "platform/base/ProcessWide.h"

#include <array>
#include <cstdint>
#include <random>

namespace brimlark {

namespace {

ProcessWide<TallyUuidSource> s_uuidSource("TallyUuidSource::shared()");

} // namespace

TallyUuidSource::~TallyUuidSource() = default;

std::shared_ptr<TallyUuidSource> TallyUuidSource::shared()
{
    return s_uuidSource.get();
}

std::shared_ptr<TallyUuidSource> TallyUuidSource::installShared(std::shared_ptr<TallyUuidSource> source)
{
    return s_uuidSource.install(std::move(source));
}

std::string RandomTallyUuidSource::newUuidText()
{
    std::array<std::uint8_t, 16> bytes {};
    auto &generator = seededGenerator<std::mt19937_64>();
    const std::uint64_t high = generator();
    const std::uint64_t low = generator();
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<std::uint8_t>(high >> (56 - 8 * i));
        bytes[8 + i] = static_cast<std::uint8_t>(low >> (56 - 8 * i));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);

    static constexpr char hex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        text += hex[bytes[i] >> 4];
        text += hex[bytes[i] & 0x0F];
    }
    return text;
}

} // namespace brimlark
