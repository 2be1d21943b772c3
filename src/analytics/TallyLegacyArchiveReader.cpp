#include "analytics/TallyLegacyArchiveReader.h"

namespace brimlark {

namespace {

class UnreadableLegacyArchiveReader : public TallyLegacyArchiveReader
{
public:
    std::optional<TallyType> unarchive(std::span<const std::uint8_t>) const override { return std::nullopt; }
};

} // namespace

TallyLegacyArchiveReader::~TallyLegacyArchiveReader() = default;

std::shared_ptr<const TallyLegacyArchiveReader> TallyLegacyArchiveReader::unreadable()
{
    static const auto s_reader = std::make_shared<const UnreadableLegacyArchiveReader>();
    return s_reader;
}

} // namespace brimlark
