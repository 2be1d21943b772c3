#pragma once

#include "platform/base/DefaultsValue.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brimlark {

class DefaultsStore;

// The typed defaults database: one domain (the standard one or a named
// suite), kept as a binary property list with a journal beside it. A write
// appends one small record (the key and its new value, checksummed) to the
// journal before it returns, so a killed process keeps every value set and a
// record cut short is simply ignored on the next load. A thread of the
// domain's own forces the journal to the disk (one sync for a burst of
// writes) and folds it back into the property list when it grows, and at
// flush(): a new file written and synced beside the old one, then renamed
// over it. A domain whose files cannot be written keeps its values in memory
// and says so once on the console. Safe to use from several threads; one
// writing instance per file.
class Defaults
{
public:
    // A domain kept in memory only (tests).
    Defaults();
    using Console = std::function<void(const std::string &line)>;
    static constexpr std::chrono::milliseconds DefaultFlushWait { 5000 };

    // A domain backed by the given file; loaded once here. Without a console
    // lines go to the program's console as warnings.
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

    // Writes report whether the value reached the domain's files (always
    // true in memory).
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
    std::filesystem::path m_file;
    std::shared_ptr<DefaultsStore> m_store;
};

} // namespace brimlark
