#pragma once

#include "platform/DefaultsValue.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brimlark {

// The typed defaults database: one domain (the standard one or a named
// suite), kept as a binary property list. Every write goes straight to disk
// through a temporary file and a rename, so a crash leaves the old or the new
// file and never a torn one. Safe to use from several threads.
class Defaults
{
public:
    // A domain kept in memory only (tests).
    Defaults();
    // A domain backed by the given file; loaded once here.
    explicit Defaults(std::filesystem::path file);
    ~Defaults();

    Defaults(const Defaults &) = delete;
    Defaults &operator=(const Defaults &) = delete;

    // The standard domain and named suites, under $XDG_CONFIG_HOME/brimlark/
    // (or ~/.config/brimlark/). Created on first use.
    static Defaults &standard();
    static Defaults &suite(const std::string &name);
    // Replace the standard domain or a suite (tests, or a sample run).
    static void installStandard(std::shared_ptr<Defaults> defaults);
    static void installSuite(const std::string &name, std::shared_ptr<Defaults> defaults);
    static std::filesystem::path configDirectory();

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

    const std::filesystem::path &file() const { return m_file; }

    // Property-list coding of a whole domain (exposed for tests and tools).
    static std::optional<DefaultsValue::Dictionary> decode(const std::string &bytes);
    static std::optional<std::string> encode(const DefaultsValue::Dictionary &dictionary);

private:
    void load();
    bool persistLocked();

    std::filesystem::path m_file;
    mutable std::mutex m_mutex;
    DefaultsValue::Dictionary m_values;
};

} // namespace brimlark
