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
#include <string_view>
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
    // A value as the domain holds it. A large list or dictionary (the
    // first-seen date of every application, say) is kept as its own encoded
    // property list, compressed: one block a tenth of the size of its tree
    // of nodes, decoded when read, which such values seldom are. Anything
    // else is kept as the value.
    class Held
    {
    public:
        // Values encoding to fewer bytes are kept as they are.
        static constexpr std::size_t EncodedFrom = 16 * 1024;

        Held() = default;
        // `encoded` is the value's own property list, as a write made it
        // for the journal; without it the value is kept as it is.
        explicit Held(DefaultsValue value, std::string_view encoded = {});
        std::optional<DefaultsValue> value() const;
        // A large list or dictionary kept as it is (read from the file).
        bool packable() const;
        // The same value packed, when it can be.
        Held packed() const;
        bool operator==(const Held &other) const
        {
            return m_value == other.m_value && m_packed == other.m_packed;
        }

    private:
        struct Packed
        {
            std::string compressed;
            std::size_t size = 0; // of the property list
        };
        std::shared_ptr<const DefaultsValue> m_value;
        std::shared_ptr<const Packed> m_packed;
    };
    using Values = std::map<std::string, Held>;

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
    void packLoaded();

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
    // Loaded values to pack on the thread.
    bool m_packWanted = false;
    bool m_stopped = false;
};

} // namespace brimlark
