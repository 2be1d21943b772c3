#include "platform/base/DefaultsStore.h"

#include "platform/base/BinaryPlistWriter.h"
#include "platform/base/JournalRecord.h"
#include "platform/base/PlistReader.h"
#include "platform/base/RegularFile.h"
#include "platform/base/SettingsFolderLock.h"
#include "platform/base/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <zlib.h>

namespace brimlark {

namespace {

bool writeAll(int fd, const std::string &bytes)
{
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::filesystem::path journalPath(const std::filesystem::path &file, std::uint64_t number)
{
    auto path = file;
    path += ".journal-" + std::to_string(number);
    return path;
}

// The journals beside a domain's file, oldest first; only regular files.
std::vector<std::uint64_t> journalNumbers(const std::filesystem::path &file)
{
    std::vector<std::uint64_t> out;
    const std::string prefix = file.filename().string() + ".journal-";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(file.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0
            || name.find_first_not_of("0123456789", prefix.size()) != std::string::npos
            || name.size() - prefix.size() > 18) {
            continue;
        }
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == std::filesystem::file_type::regular) {
            out.push_back(std::stoull(name.substr(prefix.size())));
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool syncDirectory(const std::filesystem::path &dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Temporary files of this domain left by processes that are gone: a write
// killed before its exchange, or a previous version not yet removed. The
// newest first.
std::vector<std::filesystem::path> leftovers(const std::filesystem::path &file)
{
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> found;
    const std::string prefix = file.filename().string() + ".tmp-";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(file.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        // Another live process (or this one) may be in the middle of a write.
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid() || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH) {
            continue;
        }
        std::error_code timeError;
        found.emplace_back(std::filesystem::last_write_time(it->path(), timeError), it->path());
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    std::vector<std::filesystem::path> out;
    for (auto &entry : found) {
        out.push_back(std::move(entry.second));
    }
    return out;
}

// The journal is folded into the property list once it outgrows both this
// and twice the list itself: a restart never replays much more than it loads.
constexpr std::uint64_t MinCompactBytes = 256 * 1024;

// Applies a journal's records in order. Replaying records the property list
// already holds changes nothing: each sets or removes one key outright, so
// the last of them for a key is what the list has. Returns how many records
// could not be read.
std::size_t replay(const std::string &bytes, DefaultsStore::Values &values)
{
    std::size_t refused = 0;
    const std::size_t skipped = JournalRecord::readAll(bytes, [&values, &refused](JournalRecord &&record) {
        // A key the domain's file cannot hold would fail every fold.
        if (record.key.find('\0') != std::string::npos) {
            ++refused;
        } else if (record.operation == JournalRecord::Operation::Set) {
            values[std::move(record.key)] = DefaultsStore::Held(std::move(*record.value));
        } else {
            values.erase(record.key);
        }
    });
    return skipped + refused;
}

// "<file>.unreadable-<time>", never over an earlier one kept aside in the
// same second.
std::filesystem::path asideName(const std::filesystem::path &file)
{
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch())
                         .count();
    auto aside = file;
    aside += ".unreadable-" + std::to_string(now);
    auto taken = [](const std::filesystem::path &path) {
        std::error_code ec;
        const auto type = std::filesystem::symlink_status(path, ec).type();
        return type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none;
    };
    for (int n = 1; taken(aside) && n < 1000; ++n) {
        aside = file;
        aside += ".unreadable-" + std::to_string(now) + "-" + std::to_string(n);
    }
    return aside;
}

// Whether a journal already has a copy aside: a second name of the same file.
bool keptAside(const std::filesystem::path &journal)
{
    struct stat own = {};
    if (::stat(journal.c_str(), &own) != 0 || own.st_nlink < 2) {
        return false;
    }
    const std::string prefix = journal.filename().string() + ".unreadable-";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(journal.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        struct stat other = {};
        if (it->path().filename().string().starts_with(prefix) && ::stat(it->path().c_str(), &other) == 0
            && other.st_ino == own.st_ino && other.st_dev == own.st_dev) {
            return true;
        }
    }
    return false;
}

DefaultsStore::Values shared(DefaultsValue::Dictionary dictionary)
{
    DefaultsStore::Values out;
    for (auto &entry : dictionary) {
        out.emplace_hint(out.end(), entry.first, DefaultsStore::Held(std::move(entry.second)));
    }
    return out;
}

bool isContainer(const DefaultsValue &value)
{
    return value.type() == DefaultsValue::Type::Array || value.type() == DefaultsValue::Type::Dictionary;
}

// Whether the value reads back from the format as it is: every text and key
// is UTF-8 without a NUL, and it nests well within what a reader takes.
bool readsBackAsIs(const DefaultsValue &value, int depth = 0)
{
    auto text = [](const std::string &s) { return s.find('\0') == std::string::npos && Utf8::isValid(s); };
    if (depth > 32) {
        return false;
    }
    if (const auto *string = value.asString()) {
        return text(*string);
    }
    if (const auto *array = value.asArray()) {
        return std::all_of(array->begin(), array->end(),
            [depth](const DefaultsValue &element) { return readsBackAsIs(element, depth + 1); });
    }
    if (const auto *dictionary = value.asDictionary()) {
        return std::all_of(dictionary->begin(), dictionary->end(),
            [&](const auto &entry) { return text(entry.first) && readsBackAsIs(entry.second, depth + 1); });
    }
    return true;
}

} // namespace

DefaultsStore::Held::Held(DefaultsValue value, std::string_view encoded)
{
    // Kept encoded only when it reads back as the same value: the format
    // cannot hold every text a value can (one that is not UTF-8, say).
    if (encoded.size() >= EncodedFrom && isContainer(value) && readsBackAsIs(value)) {
        uLongf size = ::compressBound(uLong(encoded.size()));
        Packed packed { std::string(size, '\0'), encoded.size() };
        // The fastest level: the texts such values hold repeat a lot.
        if (::compress2(reinterpret_cast<Bytef *>(packed.compressed.data()), &size,
                reinterpret_cast<const Bytef *>(encoded.data()), uLong(encoded.size()), 1)
            == Z_OK) {
            packed.compressed.resize(size);
            packed.compressed.shrink_to_fit();
            m_packed = std::make_shared<const Packed>(std::move(packed));
            return;
        }
    }
    m_value = std::make_shared<const DefaultsValue>(std::move(value));
}

bool DefaultsStore::Held::packable() const
{
    if (!m_value) {
        return false;
    }
    const auto *array = m_value->asArray();
    const auto *dictionary = m_value->asDictionary();
    // Fewer elements than this never make a packed value.
    constexpr std::size_t fewest = 256;
    return (array && array->size() >= fewest) || (dictionary && dictionary->size() >= fewest);
}

DefaultsStore::Held DefaultsStore::Held::packed() const
{
    const auto encoded = packable() ? BinaryPlistWriter().writeValue(*m_value) : std::nullopt;
    return encoded ? Held(*m_value, *encoded) : *this;
}

std::optional<DefaultsValue> DefaultsStore::Held::value() const
{
    if (m_packed) {
        std::string encoded(m_packed->size, '\0');
        uLongf size = uLongf(encoded.size());
        if (::uncompress(reinterpret_cast<Bytef *>(encoded.data()), &size,
                reinterpret_cast<const Bytef *>(m_packed->compressed.data()),
                uLong(m_packed->compressed.size()))
                != Z_OK
            || size != encoded.size()) {
            return std::nullopt;
        }
        return PlistReader::value(encoded.data(), encoded.size());
    }
    if (m_value) {
        return *m_value;
    }
    return std::nullopt;
}

std::shared_ptr<DefaultsStore> DefaultsStore::open(std::filesystem::path file, Console console)
{
    auto store = std::shared_ptr<DefaultsStore>(new DefaultsStore);
    store->m_file = std::move(file);
    store->m_console = std::move(console);
    store->m_folderLock = SettingsFolderLock::take(store->m_file.parent_path());
    store->m_lockedOut = store->m_folderLock->notHeld();
    if (store->m_lockedOut && store->m_folderLock->claimReport()) {
        const int failure = store->m_folderLock->failure();
        store->m_console("Defaults: " + store->m_file.parent_path().string()
            + (failure == EWOULDBLOCK ? std::string(" is in use by another copy of the program")
                                      : " cannot be locked (" + std::string(std::strerror(failure)) + ")")
            + "; settings changed here are not saved");
    }
    store->load();
    return store;
}

std::shared_ptr<DefaultsStore> DefaultsStore::inMemory()
{
    return std::shared_ptr<DefaultsStore>(new DefaultsStore);
}

DefaultsStore::DefaultsStore()
    : m_compactAbove(MinCompactBytes)
{
}

DefaultsStore::~DefaultsStore()
{
    if (m_journal >= 0) {
        ::close(m_journal);
    }
}

std::optional<DefaultsValue> DefaultsStore::object(const std::string &key) const
{
    Held held;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_values.find(key);
        if (it == m_values.end()) {
            return std::nullopt;
        }
        held = it->second; // shared, not copied: decoded outside the lock
    }
    return held.value();
}

bool DefaultsStore::contains(const std::string &key) const
{
    std::lock_guard lock(m_mutex);
    return m_values.count(key) > 0;
}

std::vector<std::string> DefaultsStore::keys() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    for (const auto &entry : m_values) {
        out.push_back(entry.first);
    }
    return out;
}

bool DefaultsStore::set(const std::string &key, DefaultsValue value)
{
    if (key.find('\0') != std::string::npos) {
        return false; // the domain's file could not hold it
    }
    // Encoded before the lock: only the key's own value, never the domain.
    const auto record = JournalRecord::set(key, value);
    if (!record) {
        return false; // a value the format cannot hold (a date out of range) is refused
    }
    Held held(std::move(value), JournalRecord::valueOf(*record));
    std::lock_guard lock(m_mutex);
    m_values.insert_or_assign(key, std::move(held));
    return appendLocked(*record);
}

bool DefaultsStore::remove(const std::string &key)
{
    std::lock_guard lock(m_mutex);
    if (m_values.erase(key) == 0) {
        return true;
    }
    const auto record = JournalRecord::remove(key);
    return record && appendLocked(*record);
}

bool DefaultsStore::flush(std::chrono::milliseconds wait)
{
    if (m_file.empty()) {
        return true;
    }
    std::unique_lock lock(m_flushMutex);
    if (m_running) {
        // Fold the journal into the file too: the next start reads one file.
        const std::uint64_t target = m_appended;
        const std::uint64_t compaction = ++m_compactionsWanted;
        m_wake.notify_one();
        const bool settled = m_settled.wait_for(
            lock, wait, [&] { return (m_synced >= target && m_compactionsDone >= compaction) || m_stopped; });
        if (!settled || m_synced < target || m_lastSyncFailed) {
            return false;
        }
    }
    lock.unlock();
    std::lock_guard valuesLock(m_mutex);
    return !m_unwritten && !m_compactionFailed;
}

void DefaultsStore::stop()
{
    std::lock_guard lock(m_flushMutex);
    m_stopping = true;
    m_wake.notify_one();
}

void DefaultsStore::load()
{
    // A compaction by another instance of this domain can replace the file
    // and remove the journals it folded in while they are read: read again
    // until the file stayed the same throughout.
    auto identity = [this] {
        struct stat st = {};
        return ::lstat(m_file.c_str(), &st) == 0 ? std::pair(st.st_dev, st.st_ino)
                                                 : std::pair(dev_t(0), ino_t(0));
    };
    std::vector<std::pair<std::uint64_t, std::size_t>> unreadable;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto before = identity();
        m_values = loadFile();
        m_oldJournals = journalNumbers(m_file);
        unreadable.clear();
        for (std::uint64_t number : m_oldJournals) {
            const auto read = RegularFile::read(journalPath(m_file, number).c_str(), JournalRecord::MaxSize);
            if (read.status == RegularFile::Status::Read) {
                if (const std::size_t skipped = replay(read.bytes, m_values)) {
                    unreadable.emplace_back(number, skipped);
                }
            }
        }
        if (identity() == before) {
            break;
        }
    }
    // The next fold removes the journal: a record this version cannot read
    // is kept aside with it rather than lost.
    for (const auto &[number, skipped] : unreadable) {
        if (m_lockedOut) {
            break; // the writing copy keeps its own journals
        }
        const auto journal = journalPath(m_file, number);
        if (keptAside(journal)) {
            continue; // by an earlier start that did not fold it
        }
        const auto aside = asideName(journal);
        std::error_code ec;
        if (::link(journal.c_str(), aside.c_str()) != 0) {
            std::filesystem::copy_file(journal, aside, ec);
        }
        m_console("Defaults: " + journal.string() + " holds " + std::to_string(skipped)
            + (skipped == 1 ? " record" : " records") + " that could not be read; kept as " + aside.string());
    }
    m_journalNumber = m_oldJournals.empty() ? 0 : m_oldJournals.back();
    struct stat st = {};
    if (::stat(m_file.c_str(), &st) == 0) {
        m_compactAbove = std::max<std::uint64_t>(MinCompactBytes, 2 * std::uint64_t(st.st_size));
    }
    // After a crash the first write folds what was replayed back into the file.
    // What the file held comes as trees; the large ones are packed on the
    // thread rather than before the caller's first read. Not in a copy that
    // only reads: the thread would fold the writing copy's journals.
    if (!m_lockedOut && std::any_of(m_values.begin(), m_values.end(), [](const auto &entry) {
            return entry.second.packable();
        })) {
        std::lock_guard lock(m_flushMutex);
        m_packWanted = true;
        m_running = true;
        std::thread([self = shared_from_this()] { self->run(); }).detach();
    }
}

bool DefaultsStore::openJournalLocked()
{
    const std::uint64_t number = m_journalNumber + 1;
    const auto path = journalPath(m_file, number);
    constexpr int flags = O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW;
    int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0 && errno == ENOENT) {
        std::error_code ec;
        std::filesystem::create_directories(m_file.parent_path(), ec);
        fd = ::open(path.c_str(), flags, 0600);
    }
    if (fd < 0) {
        reportWriteFailureLocked(errno);
        return false;
    }
    if (!writeAll(fd, std::string(JournalRecord::Header))) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        reportWriteFailureLocked(error);
        return false;
    }
    m_journal = fd;
    m_journalNumber = number;
    m_journalBytes = 0;
    m_journalNameSynced = false;
    return true;
}

bool DefaultsStore::appendLocked(const std::string &record)
{
    if (m_file.empty()) {
        return true;
    }
    if (m_lockedOut) {
        m_unwritten = true;
        return false;
    }
    if (m_journal < 0 && !openJournalLocked()) {
        return false;
    }
    // One write(): once it returns the record is in the page cache, which a
    // killed process does not take with it.
    if (!writeAll(m_journal, record)) {
        const int error = errno;
        // Nothing may follow a partial record; without the cut, the next
        // write opens a journal of its own.
        if (::ftruncate(m_journal, off_t(JournalRecord::Header.size() + m_journalBytes)) != 0) {
            ::close(m_journal);
            m_journal = -1;
            m_oldJournals.push_back(m_journalNumber);
        }
        reportWriteFailureLocked(error);
        return false;
    }
    m_journalBytes += record.size();
    ++m_records;
    // After a failed compaction only growth asks for the next one: each
    // starts a journal, and a folder that takes no new file must not end up
    // holding one per write.
    postLocked(
        m_journalBytes > m_compactAbove || (!m_compactionFailed && (m_unwritten || !m_oldJournals.empty())));
    return true;
}

void DefaultsStore::postLocked(bool compact)
{
    bool start = false;
    {
        std::lock_guard lock(m_flushMutex);
        m_appended = m_records;
        if (compact && m_compactionsWanted == m_compactionsDone) {
            ++m_compactionsWanted;
        }
        start = !m_running;
        m_running = true;
    }
    if (start) {
        std::thread([self = shared_from_this()] { self->run(); }).detach();
        return;
    }
    m_wake.notify_one();
}

void DefaultsStore::reportWriteFailureLocked(int error)
{
    m_unwritten = true;
    ++m_failures;
    if (m_reportedWriteFailure) {
        return;
    }
    m_reportedWriteFailure = true;
    m_console("Defaults: " + m_file.string() + " cannot be written (" + std::strerror(error)
        + "); changes are kept until Brimlark quits");
}

void DefaultsStore::run()
{
    std::unique_lock lock(m_flushMutex);
    for (;;) {
        m_wake.wait(lock, [this] {
            return m_stopping || m_packWanted || m_appended > m_synced
                || m_compactionsWanted > m_compactionsDone;
        });
        if (std::exchange(m_packWanted, false)) {
            lock.unlock();
            packLoaded();
            lock.lock();
            continue;
        }
        if (m_appended == m_synced && m_compactionsWanted == m_compactionsDone) {
            break;
        }
        const std::uint64_t target = m_appended;
        const std::uint64_t compactTarget = m_compactionsWanted;
        const bool compacting = compactTarget > m_compactionsDone;
        lock.unlock();
        // A failed compaction leaves every record in a journal; the values
        // are no less on the disk for it, and the next one tries again.
        if (compacting) {
            const bool compacted = compact();
            std::lock_guard valuesLock(m_mutex);
            m_compactionFailed = !compacted;
        }
        const bool ok = syncJournal();
        lock.lock();
        m_synced = target;
        m_compactionsDone = compactTarget;
        m_lastSyncFailed = !ok;
        m_settled.notify_all();
    }
    m_stopped = true;
    m_settled.notify_all();
}

void DefaultsStore::packLoaded()
{
    std::vector<std::pair<std::string, Held>> loaded;
    {
        std::lock_guard lock(m_mutex);
        for (const auto &[key, held] : m_values) {
            if (held.packable()) {
                loaded.emplace_back(key, held);
            }
        }
    }
    for (const auto &[key, held] : loaded) {
        Held packed = held.packed();
        std::lock_guard lock(m_mutex);
        // Unless a write replaced it meanwhile.
        auto it = m_values.find(key);
        if (it != m_values.end() && it->second == held) {
            it->second = std::move(packed);
        }
    }
}

bool DefaultsStore::syncJournal()
{
    int fd = -1;
    bool nameSynced = true;
    {
        std::lock_guard lock(m_mutex);
        if (m_journal >= 0) {
            fd = ::dup(m_journal);
            if (fd < 0) {
                return false;
            }
            nameSynced = m_journalNameSynced;
            m_journalNameSynced = true;
        }
    }
    bool ok = true;
    if (fd >= 0) {
        ok = ::fdatasync(fd) == 0;
        ::close(fd);
    }
    if (!nameSynced) {
        ok = syncDirectory(m_file.parent_path()) && ok;
    }
    return ok;
}

bool DefaultsStore::compact()
{
    Values snapshot;
    int previous = -1;
    bool previousNameSynced = true;
    std::vector<std::uint64_t> folded;
    std::uint64_t failuresBefore = 0;
    std::filesystem::path temporary = m_file;
    {
        std::lock_guard lock(m_mutex);
        if (m_journalBytes == 0 && m_oldJournals.empty() && !m_unwritten) {
            return true;
        }
        snapshot = m_values; // the values are shared, not copied
        failuresBefore = m_failures;
        // Later writes go to a new journal, so this one can go with the
        // records the snapshot holds.
        if (m_journal >= 0) {
            previous = m_journal;
            previousNameSynced = m_journalNameSynced;
            m_journal = -1;
            m_journalBytes = 0;
            m_oldJournals.push_back(m_journalNumber);
            m_journalNameSynced = true;
        }
        folded = m_oldJournals;
        temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++m_temporarySerial);
    }
    if (previous >= 0) {
        // Its records stay the copy on the disk if this compaction fails.
        ::fdatasync(previous);
        ::close(previous);
        if (!previousNameSynced) {
            syncDirectory(m_file.parent_path());
        }
    }
    DefaultsValue::Dictionary dictionary;
    for (const auto &entry : snapshot) {
        auto value = entry.second.value();
        if (!value) {
            return false;
        }
        dictionary.emplace_hint(dictionary.end(), entry.first, std::move(*value));
    }
    const auto bytes = BinaryPlistWriter().write(dictionary);
    if (!bytes) {
        return false;
    }
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    bool ok = writeAll(fd, *bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), m_file.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The journals go only once the file that holds their records is named
    // on the disk; a crash in between replays them over it to the same values.
    if (!syncDirectory(m_file.parent_path())) {
        return false;
    }
    // Oldest first, and none after one that stays: replaying the newest of
    // them over the file gives its values, but an older one alone would
    // bring back values a newer one had replaced.
    std::size_t removed = 0;
    while (removed < folded.size()
        && (::unlink(journalPath(m_file, folded[removed]).c_str()) == 0 || errno == ENOENT)) {
        ++removed;
    }
    std::lock_guard lock(m_mutex);
    m_oldJournals.erase(m_oldJournals.begin(), m_oldJournals.begin() + std::ptrdiff_t(removed));
    if (removed < folded.size()) {
        return false;
    }
    if (m_failures == failuresBefore) {
        m_unwritten = false;
    }
    m_compactAbove = std::max<std::uint64_t>(MinCompactBytes, 2 * bytes->size());
    return true;
}

DefaultsStore::Values DefaultsStore::loadFile()
{
    if (m_lockedOut) {
        // Read only: what stands at the path belongs to the writing process.
        const auto read = RegularFile::read(m_file.c_str(), std::numeric_limits<std::uint32_t>::max());
        auto decoded
            = read.status == RegularFile::Status::Read ? PlistReader::dictionary(read.bytes) : std::nullopt;
        return decoded ? shared(std::move(*decoded)) : Values {};
    }
    const auto left = leftovers(m_file);
    // Only a regular file is read, and the open never blocks: whatever else
    // stands at the path (a pipe, a directory) is kept aside like a file
    // that cannot be decoded.
    const auto read = RegularFile::read(m_file.c_str(), std::numeric_limits<std::uint32_t>::max());
    auto decoded
        = read.status == RegularFile::Status::Read ? PlistReader::dictionary(read.bytes) : std::nullopt;
    if (decoded || read.status == RegularFile::Status::Missing) {
        for (const auto &path : left) {
            ::unlink(path.c_str());
        }
        return decoded ? shared(std::move(*decoded)) : Values {};
    }
    // Keep what cannot be read beside the domain rather than losing it.
    const auto aside = asideName(m_file);
    std::error_code ec;
    std::filesystem::rename(m_file, aside, ec);
    m_console("Defaults: " + m_file.string() + " could not be read; kept as " + aside.string());
    // A crash before the last write reached the disk can leave the domain's
    // file empty; the version it replaced is then still beside it.
    Values restored;
    bool found = false;
    for (const auto &path : left) {
        if (found) {
            ::unlink(path.c_str());
            continue;
        }
        const auto earlier = RegularFile::read(path.c_str(), std::numeric_limits<std::uint32_t>::max());
        auto earlierValues = earlier.status == RegularFile::Status::Read
            ? PlistReader::dictionary(earlier.bytes)
            : std::nullopt;
        if (earlierValues && ::rename(path.c_str(), m_file.c_str()) == 0) {
            restored = shared(std::move(*earlierValues));
            found = true;
            m_console("Defaults: " + m_file.string() + " restored from the version before the last write");
        } else {
            ::unlink(path.c_str());
        }
    }
    return restored;
}

} // namespace brimlark
