#include "TallyTestEnvironment.h"

#include "analytics/MainExecutor.h"
#include "analytics/SerialQueue.h"
#include "analytics/TLDB.h"
#include "analytics/TallyInstance.h"
#include "analytics/TallyPersistence.h"

#include "LoopbackHttpServer.h"

#include "platform/base/Defaults.h"
#include "platform/base/SystemPaths.h"

#include <cstdlib>
#include <stdexcept>

namespace brimlark::test {

TallyTestEnvironment::TallyTestEnvironment(bool settingsOnDisk)
    : executor(std::make_shared<ManualMainExecutor>())
    , clock(std::make_shared<ManualTallyClock>())
    , lifecycle(std::make_shared<ApplicationLifecycle>())
    , m_settingsOnDisk(settingsOnDisk)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tally-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("no temporary folder");
    }
    m_directory = pattern;
    install();
}

TallyTestEnvironment::TallyTestEnvironment(std::filesystem::path existing)
    : executor(std::make_shared<ManualMainExecutor>())
    , clock(std::make_shared<ManualTallyClock>())
    , lifecycle(std::make_shared<ApplicationLifecycle>())
    , m_directory(std::move(existing))
    , m_settingsOnDisk(true)
    , m_ownsDirectory(false)
{
    install();
}

void TallyTestEnvironment::install()
{
    std::filesystem::create_directories(home());
    SystemPaths::overrideRoots(home().string(), (m_directory / "root").string());
    Defaults::installStandard(std::make_shared<Defaults>());
    reloadSettings();
    m_previousExecutor = MainExecutor::installShared(executor);
    m_previousClock = TallyClock::installShared(clock);
    m_previousLifecycle = ApplicationLifecycle::installShared(lifecycle);
}

TallyTestEnvironment::~TallyTestEnvironment()
{
    ApplicationLifecycle::installShared(m_previousLifecycle);
    TallyClock::installShared(m_previousClock);
    MainExecutor::installShared(m_previousExecutor);
    Defaults::installSuite(std::string(TallyPersistence::suiteName), nullptr);
    Defaults::installStandard(nullptr);
    SystemPaths::overrideRoots(std::string(), std::string());
    if (m_ownsDirectory) {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }
}

void TallyTestEnvironment::reloadSettings()
{
    Defaults::installSuite(std::string(TallyPersistence::suiteName),
        m_settingsOnDisk ? std::make_shared<Defaults>(settingsFile()) : std::make_shared<Defaults>());
}

void settle(TallyInstance &instance, ManualMainExecutor &executor)
{
    // Two rounds: a completion or a flush asked for from a queue task may queue further work.
    for (int round = 0; round < 2; ++round) {
        instance.trackingQueue().sync([] {});
        instance.networkQueue().sync([] {});
        instance.trackingQueue().sync([] {});
        executor.runPending();
    }
}

std::vector<TallyDictionary> storedRecords(TallyInstance &instance, PersistenceType type, bool flag)
{
    return instance.trackingQueue().sync(
        [&] { return instance.tallyPersistence().tldb().readRows(type, TLDB::allRows, flag); });
}

std::vector<TallyDictionary> storedRecords(TallyInstance &instance, PersistenceType type)
{
    auto records = storedRecords(instance, type, false);
    auto flagged = storedRecords(instance, type, true);
    records.insert(records.end(), flagged.begin(), flagged.end());
    return records;
}

std::string textAt(const TallyDictionary &record, std::string_view key)
{
    const TallyType *value = record.find(key);
    const std::string *text = value ? value->get<std::string>() : nullptr;
    return text ? *text : std::string("<missing>");
}

std::string textAt(const TallyDictionary &record, std::string_view outer, std::string_view key)
{
    const TallyType *value = record.find(outer);
    const TallyDictionary *inner = value ? value->get<TallyDictionary>() : nullptr;
    return inner ? textAt(*inner, key) : std::string("<missing>");
}

std::vector<nlohmann::json> receivedRecords(const LoopbackHttpServer &server, std::string_view path)
{
    std::vector<nlohmann::json> records;
    for (const RecordedRequest &request : server.requests()) {
        if (request.path != path) {
            continue;
        }
        const nlohmann::json batch = nlohmann::json::parse(request.decodedBody, nullptr, false);
        if (!batch.is_array()) {
            continue;
        }
        for (const auto &record : batch) {
            records.push_back(record);
        }
    }
    return records;
}

std::map<std::string, int> countBy(const std::vector<nlohmann::json> &records, const std::string &pointer)
{
    std::map<std::string, int> counts;
    const nlohmann::json::json_pointer at(pointer);
    for (const auto &record : records) {
        const auto value = record.contains(at) ? record.at(at) : nlohmann::json();
        ++counts[value.is_string() ? value.get<std::string>() : value.dump()];
    }
    return counts;
}

} // namespace brimlark::test
