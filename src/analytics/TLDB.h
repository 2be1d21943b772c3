#pragma once

#include "analytics/PersistenceType.h"
#include "analytics/TallyType.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace brimlark {

// The durable record queue of one client instance: one SQLite file in the caches folder
// ("<token>_TLDB.sqlite"), one table per record type, each row a record's JSON bytes with the
// time it was queued and a caller's flag. Rows are read back oldest first with their row id under
// "id". Not thread-safe: the owner calls it from one serial queue at a time.
//
// Failures are logged through the client logger and never lose rows that are still readable: the
// file is deleted and made anew only when SQLite reports it damaged ("corrupt" or "not a
// database"); any other failure (busy, full disk, ...) leaves the data in place and the write
// reports false, so the caller may try again later.
class TLDB
{
public:
    // readRows() with this count has no limit.
    static constexpr std::int64_t allRows = std::numeric_limits<std::int64_t>::max();

    // How long one statement waits for another connection's lock, and how often an insert that
    // still found the database busy is tried again before the record is given up.
    static constexpr std::chrono::milliseconds defaultBusyTimeout { 2000 };
    static constexpr int busyAttempts = 3;

    // Opens (or creates) the database at once. The token is kept to its alphanumeric characters.
    explicit TLDB(std::string_view token);
    ~TLDB();
    TLDB(const TLDB &) = delete;
    TLDB &operator=(const TLDB &) = delete;

    const std::string &apiToken() const { return m_apiToken; }
    // Applies at once and to every later connection.
    void setBusyTimeout(std::chrono::milliseconds timeout);
    bool isOpen() const { return m_connection != nullptr; }

    // <caches>/<token>_TLDB.sqlite; absent when there is no token to name the file after.
    std::optional<std::string> pathToDb() const;
    // "tally_<token>_<type>", and "idx_<type>_time".
    std::string tableName(PersistenceType type) const;
    static std::string indexName(PersistenceType type);

    void reconnect();
    void open();
    void close();
    // Deletes the database file (with its -wal and -shm files) and opens a new, empty one.
    void recreate();
    void createTableFor(PersistenceType type);
    void createIndexFor(PersistenceType type);

    // True when the row was stored.
    bool insertRow(PersistenceType type, std::span<const std::uint8_t> data, bool flag);
    // Deletes the listed rows, or every row of the type. Ids read before the file was made anew
    // refer to rows that no longer exist: with the generation they were read in, such a delete
    // does nothing. True when the statement ran (or had nothing to do).
    bool deleteRows(PersistenceType type, const std::vector<std::int32_t> &ids, bool isDeleteAll,
        std::optional<std::uint64_t> readInGeneration = std::nullopt);
    // Sets every row of the type whose flag is !newFlag to newFlag. True when the statement ran.
    bool updateRowsFlag(PersistenceType type, bool newFlag);
    // At most numRows records of the type with that flag, oldest first, each with "id" set to its
    // row id. Rows whose payload cannot be read as a record are deleted as they are found, so
    // they cannot hold back the rows behind them.
    std::vector<TallyDictionary> readRows(PersistenceType type, std::int64_t numRows, bool flag);

    // Whether this process sends the store's records. Two copies of the program over one store
    // would both read and send the same rows: the first to ask takes a lock on a file beside the
    // store ("<store>.sender") and keeps it while this object lives; another copy keeps queuing
    // into the store and leaves the sending to it, asking again at its next flush. True without a
    // store file, which no other process can share, and where the folder takes no locks.
    bool holdsSenderLock();

    // Counts how often the file was made anew by this object; ids handed out by readRows() belong
    // to the generation current at the time.
    std::uint64_t generation() const { return m_generation; }

    // The token's alphanumeric characters (any script), everything else dropped.
    static std::string filteredToken(std::string_view token);

private:
    enum class Outcome { Done, Failed, Busy, Damaged };

    Outcome runStatement(
        const std::string &sql, const std::string &prepareMessage, const std::string &failMessage);
    Outcome insertOnce(PersistenceType type, std::span<const std::uint8_t> data, bool flag);
    bool ensureConnection();
    void logSqlError(const std::optional<std::string> &message);
    void seedRowIds();
    static bool isDamage(int resultCode);
    static bool isBusy(int resultCode);
    static std::string idsSqlString(const std::vector<std::int32_t> &ids);

    sqlite3 *m_connection = nullptr;
    int m_senderLock = -1;
    bool m_senderLockRefused = false;
    const std::string m_dbFileName = "TLDB.sqlite";
    std::string m_apiToken;
    std::uint64_t m_generation = 0;
    bool m_recreating = false;
    std::chrono::milliseconds m_busyTimeout = defaultBusyTimeout;
    bool m_damageSeenWhileOpening = false;
    // The highest row id handed out per type; a new file starts its ids above them.
    std::array<std::int64_t, 3> m_highestIdRead {};
};

} // namespace brimlark
