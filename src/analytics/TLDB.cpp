#include "analytics/TLDB.h"

#include "analytics/JSONHandler.h"
#include "analytics/TallyClock.h"
#include "analytics/TallyLogger.h"
#include "platform/base/SystemPaths.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <locale>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace brimlark {

namespace {

// Finalizes its statement whatever path the operation leaves by.
class Statement
{
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    int prepare(sqlite3 *connection, const std::string &sql)
    {
        return sqlite3_prepare_v2(connection, sql.c_str(), -1, &m_statement, nullptr);
    }
    sqlite3_stmt *get() const { return m_statement; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

const std::locale *unicodeLocale()
{
    static const std::locale *s_locale = []() -> const std::locale * {
        try {
            return new std::locale("C.UTF-8");
        } catch (const std::exception &) {
            return nullptr;
        }
    }();
    return s_locale;
}

// Decodes one UTF-8 scalar at text[i]; returns its length, 0 for an ill-formed sequence.
std::size_t decodeScalar(std::string_view text, std::size_t i, char32_t &scalar)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        scalar = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        scalar = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        scalar = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        scalar = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        scalar = (scalar << 6) | (byte(i + k) & 0x3F);
    }
    if (scalar < minimum || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool isAlphanumericScalar(char32_t scalar)
{
    if (scalar < 0x80) {
        return (scalar >= '0' && scalar <= '9') || (scalar >= 'a' && scalar <= 'z')
            || (scalar >= 'A' && scalar <= 'Z');
    }
    const std::locale *locale = unicodeLocale();
    return locale && std::isalnum(static_cast<wchar_t>(scalar), *locale);
}

} // namespace

TLDB::TLDB(std::string_view token)
    : m_apiToken(filteredToken(token))
{
    open();
}

TLDB::~TLDB()
{
    if (m_connection) {
        close();
    }
    if (m_senderLock >= 0) {
        ::close(m_senderLock);
    }
}

bool TLDB::holdsSenderLock()
{
    if (m_senderLock >= 0) {
        return true;
    }
    const auto path = pathToDb();
    if (!path) {
        return true;
    }
    const std::string lockPath = *path + ".sender";
    const int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor >= 0 && ::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        m_senderLock = descriptor;
        m_senderLockRefused = false;
        return true;
    }
    const int error = descriptor >= 0 ? errno : 0;
    if (descriptor >= 0) {
        ::close(descriptor);
    }
    // A folder without locks (a network home without a lock service) must not stop the sending
    // for good; one copy per settings folder is the rule there as well.
    if (error != EWOULDBLOCK) {
        return true;
    }
    if (!m_senderLockRefused) {
        m_senderLockRefused = true;
        TallyLogger::info(
            [&] { return "Another process sends the records of " + *path + "; they wait there for it"; },
            "holdsSenderLock()");
    }
    return false;
}

std::string TLDB::filteredToken(std::string_view token)
{
    std::string out;
    std::size_t i = 0;
    while (i < token.size()) {
        char32_t scalar = 0;
        const std::size_t length = decodeScalar(token, i, scalar);
        if (length == 0) {
            ++i; // an ill-formed byte is no character at all
            continue;
        }
        if (isAlphanumericScalar(scalar)) {
            out.append(token.substr(i, length));
        }
        i += length;
    }
    return out;
}

std::optional<std::string> TLDB::pathToDb() const
{
    const std::string caches = SystemPaths::caches();
    if (caches.empty() || m_apiToken.empty()) {
        return std::nullopt;
    }
    return (std::filesystem::path(caches) / (m_apiToken + "_" + m_dbFileName)).string();
}

std::string TLDB::tableName(PersistenceType type) const
{
    return "tally_" + m_apiToken + "_" + std::string(rawValue(type));
}

std::string TLDB::indexName(PersistenceType type)
{
    return "idx_" + std::string(rawValue(type)) + "_time";
}

bool TLDB::isDamage(int resultCode)
{
    const int primary = resultCode & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool TLDB::isBusy(int resultCode)
{
    const int primary = resultCode & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

void TLDB::setBusyTimeout(std::chrono::milliseconds timeout)
{
    m_busyTimeout = timeout;
    if (m_connection) {
        sqlite3_busy_timeout(m_connection, static_cast<int>(m_busyTimeout.count()));
    }
}

void TLDB::reconnect()
{
    TallyLogger::warn("No database connection found. Calling TLDB.open()", "reconnect()");
    open();
}

bool TLDB::ensureConnection()
{
    // A store that could not be opened before may open now; the caller's work then goes ahead
    // instead of being dropped.
    if (!m_connection) {
        reconnect();
    }
    return m_connection != nullptr;
}

void TLDB::open()
{
    if (m_connection) {
        return;
    }
    if (m_apiToken.empty()) {
        TallyLogger::error("Project token must not be empty. Database cannot be opened.", "open()");
        return;
    }
    const auto path = pathToDb();
    if (!path) {
        return;
    }
    // A fresh home has no caches folder yet.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(*path).parent_path(), ignored);

    const int opened
        = sqlite3_open_v2(path->c_str(), &m_connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (opened != SQLITE_OK) {
        logSqlError("Error opening or creating database at path: " + *path);
        close();
        return;
    }
    TallyLogger::info(
        [&] { return "Successfully opened connection to database at path: " + *path; }, "open()");
    // Another connection (a second process, a backup tool) may hold the lock for a moment.
    sqlite3_busy_timeout(m_connection, static_cast<int>(m_busyTimeout.count()));

    m_damageSeenWhileOpening = false;
    {
        Statement pragma;
        const int prepared = pragma.prepare(m_connection, "PRAGMA journal_mode=WAL;");
        if (prepared != SQLITE_OK) {
            logSqlError("PRAGMA journal_mode=WAL statement could not be prepared");
            m_damageSeenWhileOpening |= isDamage(prepared);
        } else {
            const int stepped = sqlite3_step(pragma.get());
            if (stepped == SQLITE_ROW) {
                const auto *mode = sqlite3_column_text(pragma.get(), 0);
                const std::string modeText = mode ? reinterpret_cast<const char *>(mode) : "";
                TallyLogger::info([&] { return "SQLite journal mode set to " + modeText; }, "open()");
            } else {
                logSqlError("Failed to enable journal_mode=WAL");
                m_damageSeenWhileOpening |= isDamage(stepped);
            }
        }
    }
    for (const PersistenceType type : allPersistenceTypes) {
        createTableFor(type);
        createIndexFor(type);
    }
    // A file that is not a database, or a damaged one, would fail every later statement too.
    if (m_damageSeenWhileOpening && !m_recreating) {
        recreate();
    }
}

void TLDB::close()
{
    sqlite3_close(m_connection);
    m_connection = nullptr;
    TallyLogger::info("Connection to database closed.", "close()");
}

void TLDB::recreate()
{
    if (m_recreating) {
        return;
    }
    m_recreating = true;
    close();
    if (const auto path = pathToDb()) {
        // The -wal file of the old database must not be replayed into the new one.
        for (const std::string suffix : { "", "-wal", "-shm" }) {
            const std::string file = *path + suffix;
            std::error_code error;
            if (!std::filesystem::exists(file, error)) {
                continue;
            }
            if (std::filesystem::remove(file, error)) {
                TallyLogger::info([&] { return "Deleted database file at path: " + file; }, "recreate()");
            } else {
                TallyLogger::error(
                    [&] {
                        return "Unable to remove database file at path: " + file
                            + ", error: " + error.message();
                    },
                    "recreate()");
            }
        }
    }
    ++m_generation;
    reconnect();
    seedRowIds();
    m_recreating = false;
}

void TLDB::seedRowIds()
{
    if (!m_connection) {
        return;
    }
    for (const PersistenceType type : allPersistenceTypes) {
        const std::int64_t highest = m_highestIdRead[static_cast<std::size_t>(type)];
        if (highest <= 0) {
            continue;
        }
        // New rows get ids above every id handed out before, so a late delete of old ids
        // cannot hit them.
        Statement seed;
        const std::string table = tableName(type);
        if (seed.prepare(m_connection, "INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?);") != SQLITE_OK
            || sqlite3_bind_text(seed.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT) != SQLITE_OK
            || sqlite3_bind_int64(seed.get(), 2, highest) != SQLITE_OK
            || sqlite3_step(seed.get()) != SQLITE_DONE) {
            logSqlError("Row ids of table " + table + " could not be carried over");
        }
    }
}

TLDB::Outcome TLDB::runStatement(
    const std::string &sql, const std::string &prepareMessage, const std::string &failMessage)
{
    Statement statement;
    const int prepared = statement.prepare(m_connection, sql);
    if (prepared != SQLITE_OK) {
        logSqlError(prepareMessage);
        return isDamage(prepared) ? Outcome::Damaged : Outcome::Failed;
    }
    const int stepped = sqlite3_step(statement.get());
    if (stepped != SQLITE_DONE) {
        logSqlError(failMessage);
        return isDamage(stepped) ? Outcome::Damaged : Outcome::Failed;
    }
    return Outcome::Done;
}

void TLDB::createTableFor(PersistenceType type)
{
    if (!m_connection) {
        reconnect();
        return;
    }
    const std::string table = tableName(type);
    const Outcome outcome = runStatement("CREATE TABLE IF NOT EXISTS " + table
            + "(id integer primary key autoincrement,data blob,time real,flag integer);",
        "CREATE statement for table " + table + " could not be prepared", table + " table create failed");
    if (outcome == Outcome::Done) {
        TallyLogger::info([&] { return table + " table created"; }, "createTableFor(_:)");
    }
    m_damageSeenWhileOpening |= outcome == Outcome::Damaged;
}

void TLDB::createIndexFor(PersistenceType type)
{
    if (!m_connection) {
        reconnect();
        return;
    }
    const std::string index = indexName(type);
    const Outcome outcome = runStatement(
        "CREATE INDEX IF NOT EXISTS " + index + " ON " + tableName(type) + " (time);",
        "CREATE statement for index " + index + " could not be prepared", index + " index creation failed");
    if (outcome == Outcome::Done) {
        TallyLogger::info([&] { return index + " index created"; }, "createIndexFor(_:)");
    }
    m_damageSeenWhileOpening |= outcome == Outcome::Damaged;
}

TLDB::Outcome TLDB::insertOnce(PersistenceType type, std::span<const std::uint8_t> data, bool flag)
{
    const std::string table = tableName(type);
    if (data.size() > static_cast<std::size_t>(INT_MAX)) {
        TallyLogger::error(
            [&] { return "Failed to insert row into table " + table + ": the record is too large"; },
            "insertRow(_:data:flag:)");
        return Outcome::Failed;
    }
    Statement statement;
    const int prepared
        = statement.prepare(m_connection, "INSERT INTO " + table + " (data, flag, time) VALUES(?, ?, ?);");
    if (prepared != SQLITE_OK) {
        logSqlError("INSERT statement for table " + table + " could not be prepared");
        return isDamage(prepared) ? Outcome::Damaged : isBusy(prepared) ? Outcome::Busy : Outcome::Failed;
    }
    // A null pointer would bind NULL; an empty record is still a (zero-length) blob.
    static const std::uint8_t s_empty = 0;
    const void *bytes
        = data.empty() ? static_cast<const void *>(&s_empty) : static_cast<const void *>(data.data());
    if (sqlite3_bind_blob(statement.get(), 1, bytes, static_cast<int>(data.size()), SQLITE_TRANSIENT)
            != SQLITE_OK
        || sqlite3_bind_int(statement.get(), 2, flag ? 1 : 0) != SQLITE_OK
        || sqlite3_bind_double(statement.get(), 3, TallyClock::shared()->now()) != SQLITE_OK) {
        logSqlError("Failed to insert row into table " + table);
        return Outcome::Failed;
    }
    const int stepped = sqlite3_step(statement.get());
    if (stepped != SQLITE_DONE) {
        logSqlError("Failed to insert row into table " + table);
        return isDamage(stepped) ? Outcome::Damaged : isBusy(stepped) ? Outcome::Busy : Outcome::Failed;
    }
    TallyLogger::info(
        [&] { return "Successfully inserted row into table " + table; }, "insertRow(_:data:flag:)");
    return Outcome::Done;
}

bool TLDB::insertRow(PersistenceType type, std::span<const std::uint8_t> data, bool flag)
{
    if (!ensureConnection()) {
        return false;
    }
    Outcome outcome = insertOnce(type, data, flag);
    for (int attempt = 1; outcome == Outcome::Busy && attempt < busyAttempts; ++attempt) {
        TallyLogger::warn(
            [&] {
                return "Database is busy; trying again to insert row into table " + tableName(type)
                    + " (attempt " + std::to_string(attempt + 1) + " of " + std::to_string(busyAttempts)
                    + ")";
            },
            "insertRow(_:data:flag:)");
        outcome = insertOnce(type, data, flag);
    }
    if (outcome == Outcome::Busy) {
        TallyLogger::error(
            [&] {
                return "Database stayed busy; gave up inserting row into table " + tableName(type) + " after "
                    + std::to_string(busyAttempts) + " attempts";
            },
            "insertRow(_:data:flag:)");
    }
    if (outcome == Outcome::Damaged) {
        recreate();
        // The new file takes the record that the damaged one refused.
        if (m_connection) {
            outcome = insertOnce(type, data, flag);
        }
    }
    return outcome == Outcome::Done;
}

std::string TLDB::idsSqlString(const std::vector<std::int32_t> &ids)
{
    std::string list = "(";
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) {
            list += ",";
        }
        list += std::to_string(ids[i]);
    }
    return list + ")";
}

bool TLDB::deleteRows(PersistenceType type, const std::vector<std::int32_t> &ids, bool isDeleteAll,
    std::optional<std::uint64_t> readInGeneration)
{
    const std::string table = tableName(type);
    if (readInGeneration && *readInGeneration != m_generation) {
        TallyLogger::info(
            [&] {
                return "Rows of table " + table + " were read from an earlier database; nothing to delete";
            },
            "deleteRows(_:ids:isDeleteAll:)");
        return true;
    }
    if (!isDeleteAll && ids.empty()) {
        return true;
    }
    if (!ensureConnection()) {
        return false;
    }
    const std::string sql
        = isDeleteAll ? "DELETE FROM " + table : "DELETE FROM " + table + " WHERE id IN " + idsSqlString(ids);
    const Outcome outcome
        = runStatement(sql, "DELETE statement for table " + table + " could not be prepared",
            "Failed to delete rows from table " + table);
    if (outcome == Outcome::Done) {
        TallyLogger::info([&] { return "Successfully deleted rows from table " + table; },
            "deleteRows(_:ids:isDeleteAll:)");
    } else if (outcome == Outcome::Damaged) {
        recreate();
    }
    return outcome == Outcome::Done;
}

bool TLDB::updateRowsFlag(PersistenceType type, bool newFlag)
{
    if (!ensureConnection()) {
        return false;
    }
    const std::string table = tableName(type);
    const std::string sql = "UPDATE " + table + " SET flag = " + (newFlag ? "true" : "false")
        + " where flag = " + (newFlag ? "false" : "true");
    const Outcome outcome
        = runStatement(sql, "UPDATE statement for table " + table + " could not be prepared",
            "Failed to update rows from table " + table);
    if (outcome == Outcome::Done) {
        TallyLogger::info(
            [&] { return "Successfully updated rows from table " + table; }, "updateRowsFlag(_:newFlag:)");
    } else if (outcome == Outcome::Damaged) {
        recreate();
    }
    return outcome == Outcome::Done;
}

std::vector<TallyDictionary> TLDB::readRows(PersistenceType type, std::int64_t numRows, bool flag)
{
    std::vector<TallyDictionary> records;
    // SQLite reads a negative LIMIT as "no limit"; a count below one asks for nothing.
    if (numRows <= 0 || !ensureConnection()) {
        return records;
    }
    const std::string table = tableName(type);
    std::string sql
        = "SELECT id, data FROM " + table + " WHERE flag = " + (flag ? "1" : "0") + " ORDER BY time";
    if (numRows != allRows) {
        sql += " LIMIT " + std::to_string(numRows);
    }

    std::vector<std::int32_t> unreadable;
    std::size_t readCount = 0;
    bool damaged = false;
    {
        Statement statement;
        const int prepared = statement.prepare(m_connection, sql);
        if (prepared != SQLITE_OK) {
            logSqlError("SELECT statement for table " + table + " could not be prepared");
            damaged = isDamage(prepared);
        } else {
            auto &highest = m_highestIdRead[static_cast<std::size_t>(type)];
            while (true) {
                const int stepped = sqlite3_step(statement.get());
                if (stepped == SQLITE_DONE) {
                    break;
                }
                if (stepped != SQLITE_ROW) {
                    logSqlError("Failed to read rows from table " + table);
                    damaged = isDamage(stepped);
                    break;
                }
                const std::int32_t id = sqlite3_column_int(statement.get(), 0);
                highest = std::max<std::int64_t>(highest, id);
                const void *blob = sqlite3_column_blob(statement.get(), 1);
                const int length = sqlite3_column_bytes(statement.get(), 1);
                if (!blob) {
                    logSqlError("No blob found in data column for row in " + table);
                    unreadable.push_back(id);
                    continue;
                }
                ++readCount;
                const auto parsed = JSONHandler::deserializeData(std::span<const std::uint8_t>(
                    static_cast<const std::uint8_t *>(blob), static_cast<std::size_t>(length)));
                const TallyDictionary *record = parsed ? parsed->get<TallyDictionary>() : nullptr;
                if (!record) {
                    unreadable.push_back(id);
                    continue;
                }
                TallyDictionary copy = *record;
                copy.set("id", TallyType(id));
                records.push_back(std::move(copy));
            }
        }
    }
    if (readCount > 0) {
        TallyLogger::info(
            [&] { return "Successfully read " + std::to_string(readCount) + " from table " + table; },
            "readRows(_:numRows:flag:)");
    }
    if (damaged) {
        records.clear();
        recreate();
        return records;
    }
    if (!unreadable.empty()) {
        // Left in place they would come back first in every batch and block the queue for good.
        TallyLogger::warn(
            [&] {
                return "Deleting " + std::to_string(unreadable.size()) + " unreadable rows from table "
                    + table;
            },
            "readRows(_:numRows:flag:)");
        deleteRows(type, unreadable, false);
    }
    return records;
}

void TLDB::logSqlError(const std::optional<std::string> &message)
{
    if (message) {
        TallyLogger::error(*message, "logSqlError(message:)");
    }
    // Without a connection there is no SQLite error text; reopening from here could recurse
    // through open() for as long as opening fails.
    if (m_connection) {
        TallyLogger::error(
            [&] { return std::string(sqlite3_errmsg(m_connection)); }, "logSqlError(message:)");
    }
}

} // namespace brimlark
