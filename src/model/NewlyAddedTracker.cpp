#include "model/NewlyAddedTracker.h"

#include "model/StoredStrings.h"
#include "platform/base/Defaults.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

#include <cmath>
#include <limits>
#include <vector>

namespace brimlark {

namespace {

// A stable top-down merge sort. Unlike std::sort and std::stable_sort it is
// well defined for any comparator, also one that is not a strict weak order
// (the newly-added order is not transitive), and it never compares an element
// with itself.
template <typename Less> void mergeSort(std::vector<int> &items, Less less)
{
    std::vector<int> buffer(items.size());
    std::function<void(size_t, size_t)> sortRange = [&](size_t begin, size_t end) {
        if (end - begin < 2) {
            return;
        }
        const size_t middle = begin + (end - begin) / 2;
        sortRange(begin, middle);
        sortRange(middle, end);
        size_t left = begin;
        size_t right = middle;
        size_t out = begin;
        while (left < middle && right < end) {
            // Take from the right only when it strictly goes first: stability.
            if (less(items[right], items[left])) {
                buffer[out++] = items[right++];
            } else {
                buffer[out++] = items[left++];
            }
        }
        while (left < middle) {
            buffer[out++] = items[left++];
        }
        while (right < end) {
            buffer[out++] = items[right++];
        }
        std::copy(buffer.begin() + qsizetype(begin), buffer.begin() + qsizetype(end),
            items.begin() + qsizetype(begin));
    };
    sortRange(0, items.size());
}

} // namespace

NewlyAddedTracker::NewlyAddedTracker(Defaults &defaults, Clock clock, FileDateReader fileDates)
    : m_defaults(defaults)
    , m_clock(std::move(clock))
    , m_fileDates(std::move(fileDates))
{
}

std::optional<NewlyAddedTracker::FileDates> NewlyAddedTracker::systemFileDates(const QString &path)
{
    // One statx per item, and the times as UTC instants: QFileInfo hands out
    // local times, and every conversion of those looks up the time zone again,
    // which for a thousand applications was most of a publish.
    const QByteArray native = QFile::encodeName(path);
    struct statx status = {};
    if (::statx(AT_FDCWD, native.constData(), AT_STATX_SYNC_AS_STAT, STATX_BTIME | STATX_MTIME, &status)
        != 0) {
        // A symbolic link whose target is gone is there but has no dates.
        if (::statx(AT_FDCWD, native.constData(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &status) == 0
            && S_ISLNK(status.stx_mode)) {
            return FileDates {};
        }
        return std::nullopt;
    }
    return fileDatesOf(status);
}

NewlyAddedTracker::FileDates NewlyAddedTracker::fileDatesOf(const struct statx &status)
{
    auto date = [](const struct statx_timestamp &t) {
        return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + qint64(t.tv_nsec) / 1000000, Qt::UTC);
    };
    FileDates dates;
    if (status.stx_mask & STATX_BTIME) {
        dates.creation = date(status.stx_btime);
    }
    if (status.stx_mask & STATX_MTIME) {
        dates.modification = date(status.stx_mtime);
    }
    return dates;
}

QStringList NewlyAddedTracker::stored() const
{
    return StoredStrings::read(m_defaults, newlyAddedKey);
}

QList<AppItem> NewlyAddedTracker::update(const QList<AppItem> &apps, const UrlTextIndex &urlTexts,
    const ScanDates *scanDates, const std::optional<QDateTime> &at)
{
    const QDateTime now = at ? *at : m_clock();
    const double nowSeconds = double(now.toMSecsSinceEpoch()) / 1000.0;
    const double startSeconds = nowSeconds - double(windowSeconds);
    const QDateTime start = now.addSecs(-windowSeconds);

    QHash<QString, double> firstSeen;
    firstSeen.reserve(apps.size());
    // Read in place: a copy of the dictionary would be one more node per application.
    const auto storedValue = m_defaults.object(firstSeenDatesKey.toStdString());
    if (const auto *stored = storedValue ? storedValue->asDictionary() : nullptr) {
        bool numbers = true;
        for (const auto &[key, value] : *stored) {
            if (const double *real = value.asReal()) {
                firstSeen.insert(QString::fromStdString(key), *real);
            } else if (const std::int64_t *integer = value.asInteger()) {
                firstSeen.insert(QString::fromStdString(key), double(*integer));
            } else {
                numbers = false;
                break;
            }
        }
        if (!numbers) {
            firstSeen.clear();
        }
    }

    bool changedDates = false;
    for (const auto &app : apps) {
        if (!firstSeen.contains(app.urlText())) {
            firstSeen.insert(app.urlText(), nowSeconds);
            changedDates = true;
        }
    }
    for (auto it = firstSeen.begin(); it != firstSeen.end();) {
        if (!urlTexts.contains(it.key())) {
            it = firstSeen.erase(it);
            changedDates = true;
        } else {
            ++it;
        }
    }
    if (changedDates) {
        DefaultsValue::Dictionary dictionary;
        for (auto it = firstSeen.cbegin(); it != firstSeen.cend(); ++it) {
            dictionary.emplace(it.key().toStdString(), DefaultsValue(it.value()));
        }
        m_defaults.set(firstSeenDatesKey.toStdString(), DefaultsValue(std::move(dictionary)));
    }

    // Each application's file dates are read at most once per update, and
    // turned into instants once: comparing QDateTimes of a local time converts
    // them again at every comparison.
    constexpr qint64 distantPast = std::numeric_limits<qint64>::min();
    struct Candidate
    {
        qsizetype index = 0;
        double stamp = 0;
        bool datesRead = false;
        // Creation date, else modification date; none: the test of the window fails.
        std::optional<qint64> windowDateMs;
        // Creation date; the most distant past when it cannot be read or is missing.
        qint64 creationMs = distantPast;
    };
    auto instant = [](const std::optional<QDateTime> &date) -> std::optional<qint64> {
        if (!date || !date->isValid()) {
            return std::nullopt;
        }
        return date->toMSecsSinceEpoch();
    };
    std::vector<Candidate> candidates;
    candidates.reserve(size_t(apps.size()));
    auto readDates = [&](Candidate &c) {
        if (c.datesRead) {
            return;
        }
        c.datesRead = true;
        const QString &path = apps[c.index].id();
        std::optional<FileDates> dates;
        bool handedIn = false;
        if (scanDates) {
            const auto it = scanDates->constFind(path);
            if (it != scanDates->constEnd()) {
                dates = *it;
                handedIn = true;
            }
        }
        if (!handedIn && m_fileDates) {
            dates = m_fileDates(path);
        }
        if (!dates) {
            return;
        }
        // The modification date counts only when there is no creation date.
        c.windowDateMs = dates->creation ? instant(dates->creation) : instant(dates->modification);
        c.creationMs = instant(dates->creation).value_or(distantPast);
    };

    const qint64 startMs = start.toMSecsSinceEpoch();
    std::vector<int> kept;
    for (qsizetype i = 0; i < apps.size(); ++i) {
        Candidate &c = candidates.emplace_back();
        c.index = i;
        c.stamp = firstSeen.value(apps[i].urlText(), 0.0);
        bool passes = c.stamp >= startSeconds;
        if (!passes) {
            readDates(c);
            passes = c.windowDateMs && *c.windowDateMs >= startMs;
        }
        if (passes) {
            kept.push_back(int(candidates.size() - 1));
        }
    }

    auto creationMs = [&](int k) -> qint64 {
        Candidate &c = candidates[size_t(k)];
        readDates(c);
        return c.creationMs;
    };
    mergeSort(kept, [&](int a, int b) {
        const double fa = candidates[size_t(a)].stamp;
        const double fb = candidates[size_t(b)].stamp;
        if (std::fabs(fa - fb) > 1.0) {
            return fa > fb;
        }
        return creationMs(a) > creationMs(b);
    });

    QList<AppItem> newlyAdded;
    newlyAdded.reserve(qsizetype(kept.size()));
    for (int k : kept) {
        newlyAdded << apps[candidates[size_t(k)].index];
    }
    store(newlyAdded);
    return newlyAdded;
}

void NewlyAddedTracker::store(const QList<AppItem> &newlyAdded)
{
    auto sameTexts = [](const AppItem &a, const AppItem &b) { return a.urlText() == b.urlText(); };
    if (m_stored
        && std::equal(m_stored->begin(), m_stored->end(), newlyAdded.begin(), newlyAdded.end(), sameTexts)) {
        return;
    }
    m_stored = newlyAdded;
    QStringList texts;
    texts.reserve(newlyAdded.size());
    for (const auto &app : newlyAdded) {
        texts << app.urlText();
    }
    // Every publish lands here; a stored domain rewrites its whole file with
    // an fsync on each change, so the same list is not written again.
    const auto stored = m_defaults.stringArray(newlyAddedKey.toStdString());
    if (stored && qsizetype(stored->size()) == texts.size()
        && std::equal(stored->begin(), stored->end(), texts.begin(),
            [](const std::string &a, const QString &b) { return QString::fromStdString(a) == b; })) {
        return;
    }
    StoredStrings::write(m_defaults, newlyAddedKey, texts);
}

} // namespace brimlark
