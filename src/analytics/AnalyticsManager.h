#pragma once

#include "analytics/TallyType.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brimlark {

// The application's one door into the analytics client. It starts the client's main instance,
// keeps the installation's anonymous id ("tl_distinct_id") and first-open flag
// ("tl_has_opened_before") in the standard defaults, reports the start-up events, takes an
// attribution id from opened URLs and reports the application's own events.
//
// The server URL and project token come from the build. Without a server URL (or token) the
// facade is off: initialize() prints one line saying so and every other call does nothing, so
// nothing is queued and no service is contacted.
//
// Called on the main thread.
class AnalyticsManager
{
public:
    struct Configuration
    {
        // Base URL of the analytics service (scheme and host, no path); empty turns analytics off.
        std::string serverURL;
        // The project token; also names the client instance, its queue store and its settings.
        std::string token;
        // Receives each console line (without the line feed); the program's console when empty.
        std::function<void(const std::string &)> print;
    };

    // The values the build was configured with.
    static Configuration buildConfiguration();
    // The process-wide facade (see ProcessWide), installed by the program over
    // buildConfiguration().
    static AnalyticsManager &shared();
    static std::shared_ptr<AnalyticsManager> installShared(std::shared_ptr<AnalyticsManager> manager);

    explicit AnalyticsManager(Configuration configuration);
    AnalyticsManager(const AnalyticsManager &) = delete;
    AnalyticsManager &operator=(const AnalyticsManager &) = delete;

    // False when the build has no server URL or no token.
    bool isEnabled() const { return m_enabled; }

    // The application's bundle information ("CFBundleShortVersionString", "CFBundleVersion");
    // it gives every event its "app_version" and the client its automatic properties. Call before
    // initialize(); without it the version reads "1.0".
    void setMainBundleInfo(std::optional<TallyDictionary> info);

    // Starts the client and identifies the installation; then "First App Open" (first start only)
    // and "App Opened". Call once, before any other operation.
    void initialize();
    // Takes the query item "uid" of an opened URL (its absolute text) as the installation's id and
    // reports "Attribution Link Captured". An empty "uid", or one that is no text, changes nothing.
    void handleURL(const std::string &url);
    // Reports one event with "platform" and "app_version" added over the caller's properties, and
    // asks for delivery at once.
    void trackEvent(const std::string &name, const std::optional<TallyDictionary> &properties = std::nullopt);

    // At quit, on the main thread, before statics are destroyed: stops the flush timer, lets the
    // client finish what is queued (storing and sending) for at most the budget, and ends its
    // worker threads. Later calls change nothing and track nothing.
    void shutdown(std::chrono::milliseconds budget);

    // The query items of a URL text: nothing when it is no absolute URL or its percent escapes are
    // broken; an item without "=" has no value.
    static std::optional<std::vector<std::pair<std::string, std::optional<std::string>>>> queryItems(
        std::string_view url);
    // The id an opened URL attributes the installation to: its first query item "uid", when that
    // has a value that is UTF-8 text, neither empty nor holding a NUL.
    static std::optional<std::string> attributionUid(std::string_view url);
    // How trackEvent prints a properties dictionary: ["key": value, ...], or [:] when empty.
    static std::string describeProperties(const TallyDictionary &properties);

private:
    void checkFirstOpen();
    void print(const std::string &line) const;
    std::string appVersion() const;

    static constexpr std::string_view s_distinctIdKey = "tl_distinct_id";
    static constexpr std::string_view s_hasOpenedBeforeKey = "tl_has_opened_before";
    static constexpr double s_flushInterval = 60.0;

    const Configuration m_configuration;
    const bool m_enabled;
    std::atomic<bool> m_initialized { false };
    std::atomic<bool> m_shutDown { false };
    mutable std::mutex m_bundleMutex;
    std::optional<TallyDictionary> m_mainBundleInfo;
};

} // namespace brimlark
