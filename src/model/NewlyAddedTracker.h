#pragma once

#include "model/AppItem.h"
#include "model/UrlTextIndex.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

#include <sys/stat.h>

namespace brimlark {

class Defaults;

// Which applications count as newly added: each scanned application is
// stamped with the time it was first seen ("AppFirstSeenDates"); those seen,
// or created, within the last 30 days are listed newest first and the list
// is stored as "NewlyAddedAppURLs".
class NewlyAddedTracker
{
public:
    // What the file system says about an item; an empty optional means the
    // attributes could not be read at all.
    struct FileDates
    {
        std::optional<QDateTime> creation;
        std::optional<QDateTime> modification;
    };
    using Clock = std::function<QDateTime()>;
    using FileDateReader = std::function<std::optional<FileDates>(const QString &path)>;
    using ScanDates = QHash<QString, std::optional<FileDates>>;

    static inline const QString newlyAddedKey = QStringLiteral("NewlyAddedAppURLs");
    static inline const QString firstSeenDatesKey = QStringLiteral("AppFirstSeenDates");
    static constexpr qint64 windowSeconds = 2592000; // 30 days

    NewlyAddedTracker(Defaults &defaults, Clock clock, FileDateReader fileDates);

    // Thread-safe. The dates are UTC.
    static std::optional<FileDates> systemFileDates(const QString &path);
    // The same dates from a status already read (with STATX_BTIME asked for).
    static FileDates fileDatesOf(const struct statx &status);

    // Stamps the applications not seen before, forgets those gone, and
    // returns (and stores) the newly added ones in their order. Dates handed
    // in by a scan go before the reader; `urlTexts` indexes the applications'
    // URL texts. `now` is the clock's time unless given.
    QList<AppItem> update(const QList<AppItem> &apps, const UrlTextIndex &urlTexts,
        const ScanDates *scanDates = nullptr, const std::optional<QDateTime> &now = std::nullopt);
    // The stored list's URL texts.
    QStringList stored() const;

    const Clock &clock() const { return m_clock; }

private:
    void store(const QList<AppItem> &newlyAdded);

    Defaults &m_defaults;
    Clock m_clock;
    FileDateReader m_fileDates;
    // The list stored last (the caller holds it too): while an update finds
    // the same, the stored one is not read back to be compared.
    std::optional<QList<AppItem>> m_stored;
};

} // namespace brimlark
