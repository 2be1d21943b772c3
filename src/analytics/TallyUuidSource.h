#pragma once

#include <memory>
#include <string>

namespace brimlark {

// The analytics client's source of new UUIDs, in the standard upper-case 36-character text form
// (8-4-4-4-12 hexadecimal digits).
class TallyUuidSource
{
public:
    virtual ~TallyUuidSource();
    virtual std::string newUuidText() = 0;

    // The process-wide source (see ProcessWide); the program installs a RandomTallyUuidSource.
    static std::shared_ptr<TallyUuidSource> shared();
    static std::shared_ptr<TallyUuidSource> installShared(std::shared_ptr<TallyUuidSource> source);
};

// Random (version 4, variant 1) UUIDs from a generator seeded by the operating system.
class RandomTallyUuidSource : public TallyUuidSource
{
public:
    std::string newUuidText() override;
};

} // namespace brimlark
