#pragma once

#include "platform/DefaultsValue.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brimlark {

// The typed defaults database: one domain (the standard one or a named
// suite), kept as a binary property list. Every write replaces the file
// through a temporary file and an exchange of names before it returns, so a killed
// process leaves the old or the new file and never a torn one; forcing the
// file to the disk (fsync) happens on a thread of the domain's own, one sync
// for a burst of writes, and flush() waits for it. A domain whose file cannot
// be written keeps its values in memory and says so once on the console.
// Safe to use from several threads.
class Defaults
{
public:
    // A domain kept in memory only (tests).
    Defaults();
    using Console = std::function<void(const std::string &line)>;
    static constexpr std::chrono::milliseconds DefaultFlushWait { 5000 };

    // A domain backed by the given file; loaded once here. Without a console
    // lines go to standard error.
    explicit Defaults(std::filesystem::path file, Console console = {});
    ~Defaults();

    Defaults(const Defaults &) = delete;
    Defaults &operator=(const Defaults &) = delete;

    // The standard domain and named suites, under $XDG_CONFIG_HOME/brimlark/
    // (or ~/.config/brimlark/). Created on first use.
    static Defaults &standard();
    static Defaults &suite(const std::string &name);
    // Replace the standard domain or a suite (the program at start, tests).
    static void installStandard(std::shared_ptr<Defaults> defaults);
    static void installSuite(const std::string &name, std::shared_ptr<Defaults> defaults);
    static std::filesystem::path configDirectory();
    // The standard domain's file in that folder.
    static std::filesystem::path standardFile();

    std::optional<DefaultsValue> object(const std::string &key) const;
    std::optional<std::string> string(const std::string &key) const;
    std::optional<DefaultsValue::Data> data(const std::string &key) const;
    std::optional<std::int64_t> integer(const std::string &key) const;
    std::optional<double> real(const std::string &key) const;
    std::optional<bool> boolean(const std::string &key) const;
    std::optional<DefaultsValue::Date> date(const std::string &key) const;
    std::optional<std::vector<std::string>> stringArray(const std::string &key) const;
    std::optional<DefaultsValue::Array> array(const std::string &key) const;
    std::optional<DefaultsValue::Dictionary> dictionary(const std::string &key) const;
    bool contains(const std::string &key) const;
    std::vector<std::string> keys() const;

    // Writes report whether the domain reached the disk (always true in memory).
    bool set(const std::string &key, DefaultsValue value);
    bool setStrings(const std::string &key, const std::vector<std::string> &strings);
    bool remove(const std::string &key);

    // Waits, at most `wait`, until every value set so far is on the disk.
    // False when the wait ran out or when the values held are not all in the
    // file (it could not be written or synced). True in memory.
    bool flush(std::chrono::milliseconds wait = DefaultFlushWait);
    // flush() of the standard domain and of every suite made so far, within
    // one overall wait: the application calls it as it quits.
    static bool flushAll(std::chrono::milliseconds wait = DefaultFlushWait);

    const std::filesystem::path &file() const { return m_file; }

    // Property-list coding of a whole domain (exposed for tests and tools).
    static std::optional<DefaultsValue::Dictionary> decode(const std::string &bytes);
    static std::optional<std::string> encode(const DefaultsValue::Dictionary &dictionary);

private:
    struct Flusher;

    void load();
    bool persistLocked();
    void reportWriteFailure(int error);

    std::filesystem::path m_file;
    Console m_console;
    mutable std::mutex m_mutex;
    DefaultsValue::Dictionary m_values;
    // Whether the file lacks values held here (its last write failed).
    bool m_unwritten = false;
    bool m_reportedWriteFailure = false;
    std::uint64_t m_writeSerial = 0;
    std::shared_ptr<Flusher> m_flusher;
};

} // namespace brimlark
