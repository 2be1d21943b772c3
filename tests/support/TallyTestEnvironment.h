#pragma once

#include "ManualMainExecutor.h"
#include "ManualTallyClock.h"
#include "analytics/ApplicationLifecycle.h"
#include "analytics/PersistenceType.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyType.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brimlark {
class TallyInstance;
}

namespace brimlark::test {

// Everything a client instance reaches, replaced for one test: a temporary home (the queue store
// lives in its caches folder), in-memory standard defaults and "Tally" suite (or a suite file
// kept in the temporary folder, to survive a simulated restart), a ManualMainExecutor, a manual
// clock and a fresh lifecycle. The destructor puts the process-wide ones back.
class TallyTestEnvironment
{
public:
    explicit TallyTestEnvironment(bool settingsOnDisk = false);
    // Over a folder another process made (settings on disk); the folder is left in place.
    explicit TallyTestEnvironment(std::filesystem::path existing);
    ~TallyTestEnvironment();
    TallyTestEnvironment(const TallyTestEnvironment &) = delete;
    TallyTestEnvironment &operator=(const TallyTestEnvironment &) = delete;

    const std::filesystem::path &directory() const { return m_directory; }
    std::filesystem::path home() const { return m_directory / "home"; }
    std::filesystem::path settingsFile() const { return m_directory / "Tally.plist"; }
    // A new suite object over the same file (or a new empty one in memory): the next start.
    void reloadSettings();

    std::shared_ptr<ManualMainExecutor> executor;
    std::shared_ptr<ManualTallyClock> clock;
    std::shared_ptr<ApplicationLifecycle> lifecycle;

private:
    void install();

    std::shared_ptr<MainExecutor> m_previousExecutor;
    std::shared_ptr<TallyClock> m_previousClock;
    std::shared_ptr<ApplicationLifecycle> m_previousLifecycle;
    std::filesystem::path m_directory;
    bool m_settingsOnDisk;
    bool m_ownsDirectory = true;
};

// Waits until the instance's queues are idle: tracking, network, then tracking again (for the
// deletions of delivered batches), and runs what they posted to the main thread.
void settle(TallyInstance &instance, ManualMainExecutor &executor);

// Every stored record of one queue, oldest first, whatever its flag when flagged is absent.
std::vector<TallyDictionary> storedRecords(TallyInstance &instance, PersistenceType type);
std::vector<TallyDictionary> storedRecords(TallyInstance &instance, PersistenceType type, bool flag);

// The text under a key path of a record ("properties", "distinct_id"); "<missing>" otherwise.
std::string textAt(const TallyDictionary &record, std::string_view key);
std::string textAt(const TallyDictionary &record, std::string_view outer, std::string_view key);

class LoopbackHttpServer;

// The records of every request the server received on that path ("/track/"), in arrival order.
std::vector<nlohmann::json> receivedRecords(const LoopbackHttpServer &server, std::string_view path);
// How often each event name, or each record's "$tl_event_id", arrived.
std::map<std::string, int> countBy(const std::vector<nlohmann::json> &records, const std::string &pointer);

} // namespace brimlark::test
