#pragma once

#include "platform/base/DefaultsValue.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brimlark {

class SettingsFolderLock;

// A domain's values, its journal and the thread that takes both to the
// disk: the thread forces the journal to the disk (one sync for a burst of
// writes) and folds it into the domain's file when it grows and at flush().
// The thread owns a reference, so it may finish after the store's owner.
// `m_mutex` guards the values and the journal, `m_flushMutex` the thread's
// work; a writer may take the second while holding the first, the thread
// never does.
class DefaultsStore : public std::enable_shared_from_this<DefaultsStore>
{
public:
    using Console = std::function<void(const std::string &line)>;
    using Values = std::map<std::string, std::shared_ptr<const DefaultsValue>>;

    // The domain of `file`: takes the folder's lock, then loads the file and
    // replays its journals. Lines for the user go to `console`.
    static std::shared_ptr<DefaultsStore> open(std::filesystem::path file, Console console);
    // A domain kept in memory only.
    static std::shared_ptr<DefaultsStore> inMemory();
    ~DefaultsStore();
    DefaultsStore(const DefaultsStore &) = delete;
    DefaultsStore &operator=(const DefaultsStore &) = delete;

    std::optional<DefaultsValue> object(const std::string &key) const;
    bool contains(const std::string &key) const;
    std::vector<std::string> keys() const;
    // The value is in the journal when this returns true.
    bool set(const std::string &key, DefaultsValue value);
    bool remove(const std::string &key);
    // See Defaults::flush().
    bool flush(std::chrono::milliseconds wait);
    // Lets the thread end once its work is done.
    void stop();

private:
    DefaultsStore();

    void load();
    Values loadFile();
    bool appendLocked(const std::string &record);
    bool openJournalLocked();
    void postLocked(bool compact);
    void reportWriteFailureLocked(int error);
    void run();
    bool syncJournal();
    bool compact();

    std::filesystem::path m_file;
    Console m_console;
    std::shared_ptr<SettingsFolderLock> m_folderLock;
    // Another process writes this folder: values set here stay in memory.
    bool m_lockedOut = false;

    mutable std::mutex m_mutex;
    Values m_values;
    int m_journal = -1;
    std::uint64_t m_journalNumber = 0; // the open journal, or the last one
    std::uint64_t m_journalBytes = 0;
    bool m_journalNameSynced = true;
    // Journals whose records a compaction has yet to take into the file.
    std::vector<std::uint64_t> m_oldJournals;
    std::uint64_t m_compactAbove;
    std::uint64_t m_records = 0;
    std::uint64_t m_failures = 0;
    std::uint64_t m_temporarySerial = 0;
    // Whether the files lack values held here (a write failed).
    bool m_unwritten = false;
    bool m_reportedWriteFailure = false;
    bool m_compactionFailed = false;

    std::mutex m_flushMutex;
    std::condition_variable m_wake;
    std::condition_variable m_settled;
    bool m_running = false;
    std::uint64_t m_appended = 0; // records written
    std::uint64_t m_synced = 0; // records on the disk
    std::uint64_t m_compactionsWanted = 0;
    std::uint64_t m_compactionsDone = 0;
    bool m_lastSyncFailed = false;
    bool m_stopping = false;
    bool m_stopped = false;
};

} // namespace brimlark
