#include "FuzzReaders.h"

#include "analytics/AnalyticsManager.h"
#include "model/CatalogFolders.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStorage.h"
#include "platform/base/BinaryPlistWriter.h"
#include "platform/base/Defaults.h"
#include "platform/base/JournalRecord.h"
#include "platform/base/PlistDepth.h"
#include "platform/base/PlistReader.h"
#include "platform/core/Bundle.h"
#include "platform/core/NotificationCenter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <zlib.h>

#include <cstdlib>
#include <string>

namespace brimlark::fuzz {

namespace {

// A value read from bytes is written back and read again: it must come back
// as the same bytes, or the next fold would change what the user stored.
void mustRoundTrip(const DefaultsValue &value)
{
    const auto written = BinaryPlistWriter().writeValue(value);
    if (!written) {
        return; // refused on writing (a date out of range): never stored
    }
    const auto again = PlistReader::value(written->data(), written->size());
    if (!again || BinaryPlistWriter().writeValue(*again) != written) {
        std::abort();
    }
}

void readPropertyList(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    PlistDepth::withinLimit(bytes.data(), bytes.size());
    if (const auto domain = PlistReader::dictionary(bytes)) {
        mustRoundTrip(DefaultsValue(*domain));
    }
    if (const auto value = PlistReader::value(bytes.data(), bytes.size())) {
        mustRoundTrip(*value);
    }
}

// An application's information list, read by the scan's own bundle reader.
void readInfoPlist(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir root;
    static const QString bundle = root.path() + QStringLiteral("/Fuzzed.app");
    static const bool made = QDir().mkpath(bundle + QStringLiteral("/Contents/Resources"));
    QFile file(bundle + QStringLiteral("/Contents/Info.plist"));
    if (!made || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::abort();
    }
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    const Bundle read = Bundle::openListed(bundle);
    for (const char *key : { "LSApplicationCategoryType", "CFBundleIdentifier", "CFBundleName" }) {
        read.stringForInfoKey(QString::fromLatin1(key));
    }
    read.executablePath();
    read.iconFilePath();
}

void readJournal(const std::uint8_t *data, std::size_t size)
{
    std::string journal(reinterpret_cast<const char *>(data), size);
    if (journal.compare(0, JournalRecord::Header.size(), JournalRecord::Header) != 0) {
        journal.insert(0, JournalRecord::Header);
    }
    // Every whole record gets the checksum it should have, so that mutations
    // reach the decoding behind it; the torn tail stays as it is.
    for (std::size_t at = JournalRecord::Header.size(); journal.size() - at >= JournalRecord::RecordHeader;) {
        std::uint32_t length = 0;
        for (int i = 3; i >= 0; --i) {
            length = (length << 8) | static_cast<unsigned char>(journal[at + std::size_t(i)]);
        }
        if (length > journal.size() - at - JournalRecord::RecordHeader) {
            break;
        }
        const auto sum = std::uint32_t(
            ::crc32(0, reinterpret_cast<const Bytef *>(journal.data() + at + JournalRecord::RecordHeader),
                uInt(length)));
        for (int i = 0; i < 4; ++i) {
            journal[at + 4 + std::size_t(i)] = char((sum >> (8 * i)) & 0xFF);
        }
        at += JournalRecord::RecordHeader + length;
    }
    JournalRecord::readAll(journal, [](JournalRecord &&record) {
        if (record.value) {
            mustRoundTrip(*record.value);
        }
    });
}

// The first byte picks the stored list, the rest is its value as stored:
// JSON data for the workspaces, notes, snippets and folders, a property list
// for the recent colours.
void readStoredList(const std::uint8_t *data, std::size_t size)
{
    if (size == 0) {
        return;
    }
    Defaults defaults;
    NotificationCenter center;
    const QUuid workspace = WorkspaceManager::defaultWorkspaceID;
    const QString bases[] = { QStringLiteral("brimlark_workspaces"), QStringLiteral("brimlark_sticky_notes"),
        QStringLiteral("brimlark_code_snippets"), CatalogFolders::foldersBase,
        CatalogFolders::unifiedGridOrderBase, QStringLiteral("brimlark_recent_colors") };
    const std::size_t which = data[0] % std::size(bases);
    const std::string key = which == 0
        ? bases[0].toStdString()
        : WorkspaceManager::perWorkspaceKey(bases[which], workspace).toStdString();
    const std::string bytes(reinterpret_cast<const char *>(data + 1), size - 1);
    if (which + 1 == std::size(bases)) {
        const auto value = PlistReader::value(bytes.data(), bytes.size());
        if (!value) {
            return;
        }
        defaults.set(key, *value);
    } else {
        defaults.set(key, DefaultsValue::fromBytes(bytes));
    }
    WorkspaceManager workspaces(defaults, center);
    WorkspaceStorage storage(defaults, workspaces, center);
    CatalogFolders folders(defaults, workspaces, [] { return QDateTime::fromSecsSinceEpoch(1700000000); });
    folders.load();
    folders.gridOrder();
}

void readAttributionUrl(const std::uint8_t *data, std::size_t size)
{
    const auto uid
        = AnalyticsManager::attributionUid(std::string_view(reinterpret_cast<const char *>(data), size));
    if (!uid) {
        return;
    }
    // Stored as the installation's id, it must read back as it was.
    const DefaultsValue stored(*uid);
    const auto written = BinaryPlistWriter().writeValue(stored);
    const auto again = written ? PlistReader::value(written->data(), written->size()) : std::nullopt;
    if (uid->empty() || !again || !(*again == stored)) {
        std::abort();
    }
}

} // namespace

const std::vector<Target> &targets()
{
    static const std::vector<Target> all = {
        { "plist", &readPropertyList },
        { "info_plist", &readInfoPlist },
        { "journal", &readJournal },
        { "stored_list", &readStoredList },
        { "attribution_url", &readAttributionUrl },
    };
    return all;
}

} // namespace brimlark::fuzz
