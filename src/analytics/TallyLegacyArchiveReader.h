#pragma once

#include "analytics/TallyType.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace brimlark {

// Reads the archive files of the client's older storage layout. Those files were written by a
// platform archiver that this system does not have, so the reader in use refuses every file
// (the migration then logs, deletes and falls back to defaults); tests hand in readers of their own.
class TallyLegacyArchiveReader
{
public:
    virtual ~TallyLegacyArchiveReader();
    // The root object of the archive held in the bytes, or nothing when they cannot be read.
    virtual std::optional<TallyType> unarchive(std::span<const std::uint8_t> bytes) const = 0;

    // The reader that can read no file.
    static std::shared_ptr<const TallyLegacyArchiveReader> unreadable();
};

} // namespace brimlark
